#include "store/Database.h"
#include "store/ReadingSpool.h"
#include "tests/common/ConsoleCapture.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

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
    void serverDownAtOpenStoresOnceItIsUp_data();
    void serverDownAtOpenStoresOnceItIsUp();
    void killedConnectionIsReopenedAtOnce();
    void serverRestartMidStreamLosesAndDuplicatesNothing();
    void spoolThatCannotBeWrittenIsNamed();
    void refusedInsertKeepsReadingsQueued_data();
    void refusedInsertKeepsReadingsQueued();
    void killAtAnyMomentLosesAndDuplicatesNothing_data();
    void killAtAnyMomentLosesAndDuplicatesNothing();

private:
    QString sql(const QString &statement);
    QStringList record(int n, const QDateTime &time) const;
    bool put(const QStringList &values);
    QString storedValues();

    PgCluster cluster;
    QTemporaryDir dataHome;
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
    // The spool goes where the user's data goes.
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
}

void TestDatabase::init()
{
    if (!cluster.port() || !cluster.execSql(QStringLiteral("select 1")))
        QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    QVERIFY2(cluster.execSql(QStringLiteral("truncate invoice restart identity")),
             qPrintable(cluster.errorString()));
    QVERIFY(QDir(Database::spoolDirectory()).removeRecursively());
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

bool TestDatabase::put(const QStringList &values)
{
    return db->insert(values) && db->waitStored(10000);
}

QString TestDatabase::storedValues()
{
    return sql("select string_agg(datavaluestr, ',' order by id) from invoice");
}

void TestDatabase::storesTheExactTexts()
{
    QVERIFY(put({"DCV", "-1.234", "mV", "3", "2024-05-01 10:00:00"}));
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
    QVERIFY(put(record(0, base)));
    QVERIFY(put({text, text, text, "2", stamp(base)}));
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
    QVERIFY(put(record(1, base)));
    QCOMPARE(sql("select count(*) from invoice"), QStringLiteral("1"));
}

void TestDatabase::refusedRecordDoesNotBlockLaterOnes()
{
    // Held through an outage, then set aside with the server's reason while the others are stored.
    cluster.stop();
    QVERIFY(db->insert(record(1, base)));
    QVERIFY(db->insert({"DCV", "2", "V", "not a number", stamp(base)}));
    QVERIFY(db->insert({"DCV", "3", "V", "1", "yesterday-ish"}));
    QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    QVERIFY(put(record(4, base)));
    QCOMPARE(storedValues(), QStringLiteral("1,4"));
    QCOMPARE(db->setAsideCount(), 2);
    QCOMPARE(db->failure(), QString());
    QFile setAside(Database::spoolDirectory() + "/" + ReadingSpool::setAsideFileName);
    QVERIFY(setAside.open(QIODevice::ReadOnly));
    const QByteArray lines = setAside.readAll();
    QVERIFY2(lines.count('\n') == 2
                 && lines.contains("DCV\t2\tV\tnot a number\t2024-05-01 10:00:00\tinvalid input syntax for type integer")
                 && lines.contains("yesterday-ish\tinvalid input syntax for type timestamp"), lines.constData());
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
        QVERIFY(put(record(offset, base.addSecs(offset))));
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
    // Stored out of time order: they come back in stored order, as a repeated clock hour must.
    const int offsets[] = {30, 5, 20, 5, 0, 30, 10};
    for (int i = 0; i < int(std::size(offsets)); ++i)
        QVERIFY(put(record(i, base.addSecs(offsets[i]))));
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
        QVERIFY(put(record(i, base.addSecs(offsets[i]))));
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
    QVERIFY(put(record(1, base)));
    QVERIFY(put(record(2, base.addSecs(100))));
    QVERIFY(put(record(3, base.addSecs(101))));
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

void TestDatabase::serverDownAtOpenStoresOnceItIsUp_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("reason");
    QTest::newRow("server not running") << "" << "Connection refused. Is the server running";
    QTest::newRow("password refused") << "password" << "password authentication failed";
    QTest::newRow("database missing") << "database" << "database \"elsewhere\" does not exist";
}

void TestDatabase::serverDownAtOpenStoresOnceItIsUp()
{
    QFETCH(QString, setting);
    QFETCH(QString, reason);
    db.reset();
    Database::Settings settings = cluster.settings();
    if (setting.isEmpty())
        cluster.stop();
    else
        (setting == "password" ? settings.password : settings.databaseName) = QStringLiteral("elsewhere");
    Database down(settings);
    QVERIFY(!down.open());
    QVERIFY(!down.isOpen());
    for (int i = 0; i < 3; ++i)
        QVERIFY(down.insert(record(i, base)));
    QCOMPARE(down.query(base, base), nullptr);
    // The reason is the connection's own, in one line.
    QTRY_VERIFY2(down.connectFailure().contains(reason) && !down.connectFailure().contains('\n'),
                 qPrintable(down.connectFailure()));
    QCOMPARE(down.pendingCount(), 3);
    if (!setting.isEmpty())
        return;
    // A server that comes up later is used as soon as it is there.
    QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    QVERIFY(down.waitStored(20000));
    QCOMPARE(storedValues(), QStringLiteral("0,1,2"));
}

void TestDatabase::killedConnectionIsReopenedAtOnce()
{
    // Waits until the writer's session is gone, so its next insert meets a dead connection.
    const QString killStore = QStringLiteral(
        "select count(pg_terminate_backend(pid, 10000)) from pg_stat_activity"
        " where application_name = 'quorvane store'");
    QVERIFY(put(record(1, base)));
    QCOMPARE(sql(killStore), QStringLiteral("1"));
    // The server is still up, so the very next insert reopens and writes.
    QVERIFY(put(record(2, base)));
    QCOMPARE(db->pendingCount(), 0);
    QCOMPARE(storedValues(), QStringLiteral("1,2"));
    QCOMPARE(sql(killStore), QStringLiteral("1"));
    QCOMPARE(db->query(base, base)->rowCount(), 2);
}

void TestDatabase::serverRestartMidStreamLosesAndDuplicatesNothing()
{
    int next = 0;
    auto sample = [&] { QVERIFY(db->insert(record(next, base.addSecs(next)))); ++next; };
    for (int i = 0; i < 50; ++i)
        sample();
    QVERIFY(db->waitStored(10000));
    // The outage is told through failure() and query(), not the console.
    std::unique_ptr<ConsoleCapture> console(new ConsoleCapture);
    cluster.stop();
    // Samples keep coming while the server is down; none may block.
    QElapsedTimer slowest;
    qint64 longest = 0;
    for (int i = 0; i < 60; ++i) {
        slowest.start();
        sample();
        longest = std::max(longest, slowest.elapsed());
        QTest::qWait(20);
    }
    QVERIFY(db->pendingCount() > 0);
    QVERIFY(!db->failure().isEmpty());
    QVERIFY2(longest < 20, qPrintable(QString::number(longest)));
    QCOMPARE(db->query(base, base), nullptr);
    const QString printed = console->text();
    console.reset();
    QVERIFY2(printed.isEmpty(), qPrintable(printed));
    QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    // The held records drain without further samples.
    QVERIFY(db->waitStored(30000));
    QCOMPARE(db->failure(), QString());
    sample();
    QVERIFY(db->waitStored(10000));
    QCOMPARE(sql("select count(*), count(distinct datavaluestr) from invoice"),
             QStringLiteral("%1|%1").arg(next));
    // Written in the order sampled.
    QCOMPARE(sql("select count(*) from (select datavaluestr::int - lag(datavaluestr::int) over (order by id) d"
                 " from invoice) s where d <> 1"),
             QStringLiteral("0"));
    QCOMPARE(db->query(base, base.addSecs(next))->rowCount(), next);
}

void TestDatabase::spoolThatCannotBeWrittenIsNamed()
{
    {
        // A disk that fills after a few readings: the rest wait in memory and are stored all the same.
        FileSizeLimit full(200);
        for (int i = 0; i < 20; ++i)
            QVERIFY(db->insert(record(i, base)));
        QVERIFY(db->waitStored(20000));
        QVERIFY2(db->spoolFailure().startsWith(Database::spoolDirectory()) && db->spoolFailure().contains("too large"),
                 qPrintable(db->spoolFailure()));
    }
    QVERIFY(put(record(20, base)));
    QCOMPARE(sql("select count(*), count(distinct datavaluestr) from invoice"), QStringLiteral("21|21"));
    QCOMPARE(db->spoolFailure(), QString());
    QCOMPARE(db->lostCount(), 0);
}

void TestDatabase::refusedInsertKeepsReadingsQueued_data()
{
    QTest::addColumn<QString>("refuse");
    QTest::addColumn<QString>("mend");
    QTest::addColumn<QString>("reason");
    QTest::newRow("permission revoked") << "revoke insert on invoice from meter" << "grant insert on invoice to meter"
                                        << "permission denied for table invoice";
    QTest::newRow("server out of space")
        << "create function full_disk() returns trigger language plpgsql as $$begin raise exception"
           " 'could not extend file' using errcode = '53100'; end$$;"
           " create trigger full_disk before insert on invoice execute function full_disk()"
        << "drop trigger full_disk on invoice; drop function full_disk()" << "could not extend file";
    // Other rows ahead of the key's sequence: each retry takes the next key.
    QTest::newRow("someone else's keys") << "insert into invoice overriding system value select 'X', 'X', 'X', 1, now(), n "
                                            "from generate_series(2, 4) n"
                                         << "" << "duplicate key value violates unique constraint";
}

void TestDatabase::refusedInsertKeepsReadingsQueued()
{
    QFETCH(QString, refuse);
    QFETCH(QString, mend);
    QFETCH(QString, reason);
    db.reset();
    QCOMPARE(sql("drop role if exists meter; create role meter login password 'meter';"
                 " grant select, insert on invoice to meter; grant usage on sequence invoice_id_seq to meter"), QString());
    Database::Settings meter = cluster.settings();
    meter.userName = meter.password = QStringLiteral("meter");
    db.reset(new Database(meter));
    QVERIFY(db->open() && put(record(0, base)));
    QVERIFY(!sql(refuse).startsWith("error"));
    for (int i = 1; i <= 5; ++i)
        QVERIFY(db->insert(record(i, base)));
    QTRY_VERIFY2(db->failure().contains(reason), qPrintable(db->failure()));
    if (!mend.isEmpty()) {
        // Retried, not dropped: still all there after several attempts.
        QTest::qWait(2000);
        QCOMPARE(db->pendingCount(), 5);
        QVERIFY(!sql(mend).startsWith("error"));
    }
    QVERIFY(db->waitStored(30000));
    QCOMPARE(db->failure(), QString());
    QCOMPARE(sql("select string_agg(datavaluestr, ',' order by id) from invoice where funcstr = 'DCV'"),
             QStringLiteral("0,1,2,3,4,5"));
    db.reset();
    QCOMPARE(sql("drop owned by meter; drop role meter"), QString());
}

void TestDatabase::killAtAnyMomentLosesAndDuplicatesNothing_data()
{
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<int>("killAfterMs");
    QTest::newRow("during an outage") << false << 1500;
    QTest::newRow("while storing, early") << true << 300;
    QTest::newRow("while storing, later") << true << 1300;
}

// A process taking readings faster than any sampling tick is killed; the next start stores each once.
void TestDatabase::killAtAnyMomentLosesAndDuplicatesNothing()
{
    QFETCH(bool, serverUp);
    QFETCH(int, killAfterMs);
    db.reset();
    if (!serverUp)
        cluster.stop();
    // Shared with the child: the last reading it was told is kept.
    int *taken = static_cast<int *>(::mmap(nullptr, sizeof(int), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    const pid_t child = ::fork();
    if (child == 0) {
        Database store;
        store.open();
        for (int i = 0;; ++i, ::usleep(2000)) {
            if (store.insert(record(i, base)))
                *taken = i;
        }
    }
    QTest::qWait(killAfterMs);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const int last = *taken;
    ::munmap(taken, sizeof(int));
    QVERIFY(last > 10 && (serverUp || cluster.restart()));
    db.reset(new Database);
    db->open();
    QVERIFY(db->waitStored(30000));
    // The last reading may have been kept after its count went out.
    const QString stored = sql("select count(*), count(distinct datavaluestr), max(datavaluestr::int) from invoice");
    QVERIFY2(stored == QStringLiteral("%1|%1|%2").arg(last + 1).arg(last)
                 || stored == QStringLiteral("%1|%1|%2").arg(last + 2).arg(last + 1), qPrintable(stored));
}

QUORVANE_TEST(TestDatabase);
#include "tst_database.moc"
