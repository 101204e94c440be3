#include "store/Database.h"
#include "tests/common/ConsoleCapture.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTest>

#include <memory>

class TestDatabase : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void storesTheExactTexts();
    void storesTextsVerbatim_data();
    void storesTextsVerbatim();
    void refusesWrongRecordSizesWithoutWriting_data();
    void refusesWrongRecordSizesWithoutWriting();
    void refusedRecordDoesNotBlockLaterOnes();
    void rangeIncludesBothEndsToTheSecond_data();
    void rangeIncludesBothEndsToTheSecond();
    void returnsRowsInRecordedOrder();
    void tableWithoutKeyStillAnswersInTimeOrder();
    void reusesOneModelForEveryQuery();
    void returnsEveryRowOfALargeRange();
    void serverDownAtOpenLeavesStoreUnused();
    void killedConnectionIsReopenedAtOnce();
    void serverRestartMidStreamLosesAndDuplicatesNothing();
    void heldRecordsAreBounded();
    void refusedHeldRecordIsDroppedAlone();

private:
    QString sql(const QString &statement);
    QStringList record(int n, const QDateTime &time) const;

    PgCluster cluster;
    std::unique_ptr<Database> db;
};

namespace {
const QDateTime base(QDate(2024, 5, 1), QTime(10, 0, 0));

QString stamp(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}
}

void TestDatabase::initTestCase()
{
    QVERIFY2(cluster.start(), qPrintable(cluster.errorString()));
    Database::setDefaultSettings(cluster.settings());
}

void TestDatabase::init()
{
    if (!cluster.port() || !cluster.execSql(QStringLiteral("select 1")))
        QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    QVERIFY2(cluster.execSql(QStringLiteral("truncate invoice restart identity")),
             qPrintable(cluster.errorString()));
    db.reset(new Database);
    QVERIFY(db->open());
    QVERIFY(db->isOpen());
}

void TestDatabase::cleanup()
{
    db.reset();
}

QString TestDatabase::sql(const QString &statement)
{
    QString output;
    if (!cluster.execSql(statement, &output))
        return QStringLiteral("error: ") + cluster.errorString();
    return output;
}

QStringList TestDatabase::record(int n, const QDateTime &time) const
{
    return {QStringLiteral("DCV"), QString::number(n), QStringLiteral("V"), QStringLiteral("1"), stamp(time)};
}

void TestDatabase::storesTheExactTexts()
{
    QVERIFY(db->insert({"DCV", "-1.234", "mV", "3", "2024-05-01 10:00:00"}));
    QCOMPARE(sql("select funcstr, datavaluestr, unitstr, frastr, create_time from invoice"),
             QStringLiteral("DCV|-1.234|mV|3|2024-05-01 10:00:00"));

    QSqlQueryModel *model = db->query(base, base);
    QCOMPARE(model->rowCount(), 1);
    const QSqlRecord row = model->record(0);
    QCOMPARE(row.value("funcstr").toString(), QStringLiteral("DCV"));
    QCOMPARE(row.value("datavaluestr").toString(), QStringLiteral("-1.234"));
    QCOMPARE(row.value("unitstr").toString(), QStringLiteral("mV"));
    QCOMPARE(row.value("frastr").type(), QVariant::Int);
    QCOMPARE(row.value("frastr").toInt(), 3);
    QCOMPARE(row.value("create_time").type(), QVariant::DateTime);
    QCOMPARE(row.value("create_time").toDateTime(), base);
}

void TestDatabase::storesTextsVerbatim_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("quote") << QStringLiteral("it's");
    QTest::newRow("backslash") << QStringLiteral("a\\b\\'");
    QTest::newRow("statement") << QStringLiteral("x'); delete from invoice; --");
    QTest::newRow("dollar quote") << QStringLiteral("$$x$$");
    QTest::newRow("non-ascii") << QStringLiteral("\u00b5V \u03a9");
    QTest::newRow("empty") << QString();
}

void TestDatabase::storesTextsVerbatim()
{
    QFETCH(QString, text);
    QVERIFY(db->insert(record(0, base)));
    QVERIFY(db->insert({text, text, text, "2", stamp(base)}));
    QSqlQueryModel *model = db->query(base, base);
    QCOMPARE(model->rowCount(), 2);
    for (const char *column : {"funcstr", "datavaluestr", "unitstr"})
        QCOMPARE(model->record(1).value(column).toString(), text.isNull() ? QStringLiteral("") : text);
    QCOMPARE(sql("select count(*) from invoice"), QStringLiteral("2"));
}

void TestDatabase::refusesWrongRecordSizesWithoutWriting_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::newRow("empty") << QStringList();
    QTest::newRow("four") << QStringList{"DCV", "1", "V", "1"};
    QTest::newRow("six") << QStringList{"DCV", "1", "V", "1", stamp(base), "x"};
}

void TestDatabase::refusesWrongRecordSizesWithoutWriting()
{
    QFETCH(QStringList, values);
    QVERIFY(!db->insert(values));
    QCOMPARE(db->pendingCount(), 0);
    QCOMPARE(sql("select count(*) from invoice"), QStringLiteral("0"));
    QVERIFY(db->insert(record(1, base)));
    QCOMPARE(sql("select count(*) from invoice"), QStringLiteral("1"));
}

void TestDatabase::refusedRecordDoesNotBlockLaterOnes()
{
    QVERIFY(!db->insert({"DCV", "1", "V", "not a number", stamp(base)}));
    QVERIFY(!db->insert({"DCV", "1", "V", "1", "yesterday-ish"}));
    QCOMPARE(db->pendingCount(), 0);
    QVERIFY(db->insert(record(7, base)));
    QCOMPARE(sql("select datavaluestr from invoice"), QStringLiteral("7"));
}

void TestDatabase::rangeIncludesBothEndsToTheSecond_data()
{
    QTest::addColumn<int>("startOffset");
    QTest::addColumn<int>("stopOffset");
    QTest::addColumn<QString>("expected");
    // Rows stored at base-1s, base, base+10s, base+11s (values -1, 0, 10, 11).
    QTest::newRow("both ends included") << 0 << 10 << "0,10";
    QTest::newRow("one second wider") << -1 << 11 << "-1,0,10,11";
    QTest::newRow("single second") << 10 << 10 << "10";
    QTest::newRow("gap between rows") << 1 << 9 << "";
    QTest::newRow("start after stop") << 11 << 0 << "";
}

void TestDatabase::rangeIncludesBothEndsToTheSecond()
{
    QFETCH(int, startOffset);
    QFETCH(int, stopOffset);
    QFETCH(QString, expected);
    for (int offset : {-1, 0, 10, 11})
        QVERIFY(db->insert(record(offset, base.addSecs(offset))));
    // Fractions of a second in the arguments are cut off, as in the stored times.
    QSqlQueryModel *model =
        db->query(base.addSecs(startOffset).addMSecs(999), base.addSecs(stopOffset).addMSecs(999));
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->record(row).value("datavaluestr").toString();
    QCOMPARE(values.join(','), expected);
}

void TestDatabase::returnsRowsInRecordedOrder()
{
    // Stored out of time order: they come back in the order they were
    // stored, as a repeated clock hour must.
    const int offsets[] = {30, 5, 20, 5, 0, 30, 10};
    for (int i = 0; i < int(std::size(offsets)); ++i)
        QVERIFY(db->insert(record(i, base.addSecs(offsets[i]))));
    QSqlQueryModel *model = db->query(base, base.addSecs(60));
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->record(row).value("datavaluestr").toString();
    QCOMPARE(values.join(','), QStringLiteral("0,1,2,3,4,5,6"));
}

void TestDatabase::tableWithoutKeyStillAnswersInTimeOrder()
{
    QCOMPARE(sql("alter table invoice drop column id"), QString());
    const int offsets[] = {30, 5, 20, 0};
    for (int i = 0; i < int(std::size(offsets)); ++i)
        QVERIFY(db->insert(record(i, base.addSecs(offsets[i]))));
    QSqlQueryModel *model = db->query(base, base.addSecs(60));
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->record(row).value("datavaluestr").toString();
    QCOMPARE(sql("alter table invoice add column id bigint generated always as identity primary key;"
                 " create index invoice_create_time_idx on invoice (create_time, id)"),
             QString());
    QCOMPARE(values.join(','), QStringLiteral("3,1,2,0"));
}

void TestDatabase::reusesOneModelForEveryQuery()
{
    QVERIFY(db->insert(record(1, base)));
    QVERIFY(db->insert(record(2, base.addSecs(100))));
    QVERIFY(db->insert(record(3, base.addSecs(101))));
    QSqlQueryModel *first = db->query(base, base);
    QCOMPARE(first->rowCount(), 1);
    QSqlQueryModel *second = db->query(base.addSecs(100), base.addSecs(200));
    QCOMPARE(second, first);
    QCOMPARE(second->rowCount(), 2);
    QCOMPARE(second->record(0).value("datavaluestr").toString(), QStringLiteral("2"));
    QCOMPARE(second->record(1).value("datavaluestr").toString(), QStringLiteral("3"));
    QCOMPARE(db->query(base.addDays(1), base.addDays(2)), first);
    QCOMPARE(first->rowCount(), 0);
}

void TestDatabase::returnsEveryRowOfALargeRange()
{
    // Far more rows than a driver's first batch.
    QCOMPARE(sql("insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time)"
                 " select 'DCV', n::text, 'V', 1, timestamp '2024-05-01 10:00:00' + n * interval '1 second'"
                 " from generate_series(0, 49999) n"),
             QString());
    QSqlQueryModel *model = db->query(base, base.addDays(1));
    QCOMPARE(model->rowCount(), 50000);
    QVERIFY(!model->canFetchMore());
    QCOMPARE(model->data(model->index(49999, 1)).toString(), QStringLiteral("49999"));
    QCOMPARE(model->data(model->index(49999, 4)).toDateTime(), base.addSecs(49999));
}

void TestDatabase::serverDownAtOpenLeavesStoreUnused()
{
    db.reset();
    cluster.stop();
    Database down(cluster.settings());
    QVERIFY(!down.open());
    QVERIFY(!down.isOpen());
    QVERIFY(!down.insert(record(1, base)));
    QCOMPARE(down.pendingCount(), 0);
    QCOMPARE(down.query(base, base), nullptr);
    // Staying out of use for the run: a server that appears later is not used.
    QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    QVERIFY(!down.insert(record(2, base)));
    QVERIFY(!down.isOpen());
    QCOMPARE(sql("select count(*) from invoice"), QStringLiteral("0"));
}

void TestDatabase::killedConnectionIsReopenedAtOnce()
{
    // Waits until the store's session is gone, so the next call meets a dead
    // connection.
    const QString killStore = QStringLiteral(
        "select count(pg_terminate_backend(pid, 10000)) from pg_stat_activity"
        " where datname = 'quorvane' and pid <> pg_backend_pid()");
    QVERIFY(db->insert(record(1, base)));
    QCOMPARE(sql(killStore), QStringLiteral("1"));
    // The server is still up, so the very next insert reopens and writes.
    QVERIFY(db->insert(record(2, base)));
    QCOMPARE(db->pendingCount(), 0);
    QCOMPARE(sql("select string_agg(datavaluestr, ',' order by id) from invoice"), QStringLiteral("1,2"));
    QCOMPARE(sql(killStore), QStringLiteral("1"));
    QCOMPARE(db->query(base, base)->rowCount(), 2);
}

void TestDatabase::serverRestartMidStreamLosesAndDuplicatesNothing()
{
    int next = 0;
    auto sample = [&] { db->insert(record(next, base.addSecs(next))); ++next; };
    for (int i = 0; i < 50; ++i)
        sample();
    QVERIFY(db->isStoring());
    // The outage is told through isStoring() and query(), not the console.
    std::unique_ptr<ConsoleCapture> console(new ConsoleCapture);
    cluster.stop();
    // Samples keep coming while the server is down; none may block for long.
    QElapsedTimer slowest;
    qint64 longest = 0;
    for (int i = 0; i < 60; ++i) {
        slowest.start();
        sample();
        longest = std::max(longest, slowest.elapsed());
        QTest::qWait(20);
    }
    QVERIFY(db->pendingCount() > 0);
    QVERIFY(!db->isStoring());
    QVERIFY2(longest < 1500, qPrintable(QString::number(longest)));
    QCOMPARE(db->query(base, base), nullptr);
    QVERIFY(!db->catchUp());
    const QString printed = console->text();
    console.reset();
    QVERIFY2(printed.isEmpty(), qPrintable(printed));
    QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    // The held records drain without further samples.
    QElapsedTimer deadline;
    deadline.start();
    while (!db->catchUp() && deadline.elapsed() < 30000)
        QTest::qWait(20);
    QCOMPARE(db->pendingCount(), 0);
    QVERIFY(db->isStoring());
    sample();
    QCOMPARE(sql("select count(*), count(distinct datavaluestr) from invoice"),
             QStringLiteral("%1|%1").arg(next));
    // Written in the order sampled.
    QCOMPARE(sql("select count(*) from (select datavaluestr::int - lag(datavaluestr::int) over (order by id) d"
                 " from invoice) s where d <> 1"),
             QStringLiteral("0"));
    QCOMPARE(db->query(base, base.addSecs(next))->rowCount(), next);
}

void TestDatabase::heldRecordsAreBounded()
{
    cluster.stop();
    int next = 0;
    for (; next < Database::maxPending; ++next)
        QVERIFY(!db->insert(record(next, base)));
    QCOMPARE(db->pendingCount(), Database::maxPending);
    QVERIFY(!db->insert(record(next++, base)));
    QCOMPARE(db->pendingCount(), Database::maxPending);
    QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    // Once the server may be asked again, a full queue makes room before
    // taking the next record.
    QTest::qWait(Database::reconnectIntervalMs + 100);
    QElapsedTimer deadline;
    deadline.start();
    while (db->pendingCount() > 0 && deadline.elapsed() < 120000) {
        db->insert(record(next++, base));
        QTest::qWait(10);
    }
    QCOMPARE(db->pendingCount(), 0);
    // Everything held was written once, in order; only the one record that
    // arrived with the queue full is missing.
    QCOMPARE(sql("select count(*), count(distinct datavaluestr) from invoice"),
             QStringLiteral("%1|%1").arg(next - 1));
    QCOMPARE(sql(QStringLiteral("select count(*) from invoice where datavaluestr = '%1'").arg(Database::maxPending)),
             QStringLiteral("0"));
    QCOMPARE(sql("select string_agg(datavaluestr, ',' order by id) from (select * from invoice order by id limit 3) s"),
             QStringLiteral("0,1,2"));
}

void TestDatabase::refusedHeldRecordIsDroppedAlone()
{
    cluster.stop();
    QVERIFY(!db->insert(record(1, base)));
    QVERIFY(!db->insert({"DCV", "2", "V", "not a number", stamp(base)}));
    QVERIFY(!db->insert(record(3, base)));
    QCOMPARE(db->pendingCount(), 3);
    QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    QTest::qWait(Database::reconnectIntervalMs + 100);
    // The record the server cannot take is dropped; it blocks nothing.
    QVERIFY(db->insert(record(4, base)));
    QCOMPARE(db->pendingCount(), 0);
    QCOMPARE(sql("select string_agg(datavaluestr, ',' order by id) from invoice"), QStringLiteral("1,3,4"));
}

QUORVANE_TEST(TestDatabase);
#include "tst_database.moc"
