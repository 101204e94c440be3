#include "store/RangeReader.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include <tuple>

class TestRangeReader : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void readsEveryRowInOrderAcrossBatches();
    void storedRowsKeepWhatWasAppended();
    void copyLines_data();
    void copyLines();
    void includesBothEndsAndKeepsTexts_data();
    void includesBothEndsAndKeepsTexts();
    void tableWithoutKeyAnswersInTimeOrder();
    void cancelStopsTheQueryOnTheServer();
    void unreachableServerGivesAReason();

private:
    QString sql(const QString &statement);
    // Reads the range to its end; the rows of a finished read.
    StoredRows readRange(RangeReader &reader, const QDateTime &start, const QDateTime &stop);

    PgCluster cluster;
};

namespace {
const QDateTime base(QDate(2024, 5, 1), QTime(10, 0, 0));

QString stamp(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}
}  // namespace

void TestRangeReader::initTestCase()
{
    QVERIFY2(cluster.start(), qPrintable(cluster.errorString()));
}

void TestRangeReader::init()
{
    // A test that failed while the table was held must not hold up the next.
    cluster.unlockInvoice();
    QCOMPARE(sql("truncate invoice restart identity"), QString());
}

QString TestRangeReader::sql(const QString &statement)
{
    QString output;
    if (!cluster.execSql(statement, &output))
        return QStringLiteral("error: ") + cluster.errorString();
    return output;
}

StoredRows TestRangeReader::readRange(RangeReader &reader, const QDateTime &start, const QDateTime &stop)
{
    QSignalSpy finished(&reader, &RangeReader::finished);
    if (!reader.start(cluster.settings(), start, stop) || !finished.wait(60000))
        return StoredRows();
    return reader.takeRows();
}

void TestRangeReader::readsEveryRowInOrderAcrossBatches()
{
    // Three rows a second, stored latest first: they come in the order stored.
    const int count = 3 * RangeReader::progressStep + 1000;
    QCOMPARE(sql(QStringLiteral("insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time)"
                                " select 'DCV', i::text, 'V', i % 4, timestamp '%1' + (i / 3) * interval '1 second'"
                                " from generate_series(%2, 0, -1) as i")
                     .arg(stamp(base))
                     .arg(count - 1)),
        QString());
    RangeReader reader;
    QSignalSpy progress(&reader, &RangeReader::progress);
    const StoredRows rows = readRange(reader, base, base.addDays(1));
    QCOMPARE(reader.state(), RangeReader::State::Finished);
    QCOMPARE(rows.size(), count);
    for (int row = 0; row < count; ++row) {
        const int i = count - 1 - row;
        if (rows.value(row) != QString::number(i) || rows.range(row) != i % 4
            || rows.time(row) != StoredRows::timeKey(base.addSecs(i / 3)))
            QFAIL(qPrintable(QStringLiteral("row %1: %2").arg(row).arg(rows.value(row))));
    }
    QCOMPARE(rows.unit(count - 1), QStringLiteral("V"));
    QCOMPARE(rows.function(0), QStringLiteral("DCV"));
    // Told from the start, then once per batch, growing.
    QVERIFY(progress.size() >= 4);
    QCOMPARE(progress.first().first().toInt(), 0);
    for (int i = 1; i < progress.size(); ++i)
        QVERIFY(progress.at(i).first().toInt() > progress.at(i - 1).first().toInt());
    QVERIFY(reader.takeRows().isEmpty());
}

void TestRangeReader::storedRowsKeepWhatWasAppended()
{
    // Texts kept as they are; chunks ended when full, by a far time or a step back; rows moved between sets.
    const QStringList values = {"1.234", "-0.L", "", "OL.  ", "12x", "nan", QString(300, '7') + QStringLiteral("\u00b5"),
        QString(254, '9'), QString(255, '9'), QStringLiteral("\u2103")};
    const qint64 steps[] = {0, 1, 1, 0, 70000, -3600, 5, StoredRows::noTime, 2, 1LL << 40};
    const int count = StoredRows::chunkRows + 300;
    QList<std::tuple<qint64, QString, QString, QString, int>> expected;
    StoredRows parts[2];
    qint64 time = StoredRows::timeKey(base);
    for (int row = 0; row < count; ++row) {
        const qint64 step = steps[row % 10];
        const qint64 at = step == StoredRows::noTime ? step : (time += step);
        expected.append({at, values.at(row % values.size() * 7 % values.size()), row % 700 < 350 ? "V" : "\u2103",
                         row % 3 ? "DCV" : "TEMP", row % 5});
        StoredRows &part = parts[row < 1000 ? 0 : 1];
        std::apply([&part](const auto &...field) { part.append(field...); }, expected.last());
        if (row == 500)
            part.finish();
    }
    const StoredRows copy = parts[0];
    StoredRows rows = std::move(parts[0]);
    rows.append(std::move(parts[1]));
    QCOMPARE(rows.size(), count);
    QVERIFY(parts[1].isEmpty());
    QCOMPARE(copy.size(), 1000);
    for (int row = 0; row < count; ++row) {
        if (std::make_tuple(rows.time(row), rows.value(row), rows.unit(row), rows.function(row), rows.range(row))
                != expected.at(row) || (row < 1000 && (copy.value(row) != rows.value(row) || copy.time(row) != rows.time(row))))
            QFAIL(qPrintable(QStringLiteral("row %1: %2 %3").arg(row).arg(rows.time(row)).arg(rows.value(row))));
    }
}

void TestRangeReader::copyLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("texts");
    const QString time = "2024-05-01 10:00:00";
    QTest::newRow("plain") << QByteArray("DCV\t1.234\tV\t2\t2024-05-01 10:00:00\n") << QStringList({"DCV", "1.234", "V", "2", time});
    QTest::newRow("no line feed, fraction") << QByteArray("DCV\t-0L\tV\t-1\t2024-05-01 10:00:00.75") << QStringList({"DCV", "-0L", "V", "-1", time});
    QTest::newRow("escapes") << QByteArray("A\\tB\\\\\t\\101\\x41\\q\t\\N\t7\t2024-05-01 10:00:00\n") << QStringList({"A\tB\\", "AAq", "", "7", time});
    QTest::newRow("bad range and time") << QByteArray("DCV\t1\tV\t2x\tyesterday") << QStringList({"DCV", "1", "V", "0", ""});
    QTest::newRow("four fields") << QByteArray("DCV\t1\tV\t2\n") << QStringList();
    QTest::newRow("six fields") << QByteArray("DCV\t1\tV\t2\t2024-05-01 10:00:00\tx\n") << QStringList();
}

void TestRangeReader::copyLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, texts);
    StoredRows rows;
    QCOMPARE(RangeReader::appendCopyLine(rows, line.constData(), line.size()), !texts.isEmpty());
    QCOMPARE(rows.isEmpty() ? QStringList() : QStringList({rows.function(0), rows.value(0), rows.unit(0),
                 QString::number(rows.range(0)), StoredRows::timeText(rows.time(0))}), texts);
    QVERIFY(rows.size() < 2);
}

void TestRangeReader::includesBothEndsAndKeepsTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QStringLiteral("1.234");
    QTest::newRow("tab and line feed") << QStringLiteral("a\tb\nc\rd");
    QTest::newRow("backslashes") << QStringLiteral("\\N \\ \\\\ \\t");
    QTest::newRow("non-ascii") << QStringLiteral("\u2103 \u00b5V \u03a9");
    QTest::newRow("empty") << QString();
}

void TestRangeReader::includesBothEndsAndKeepsTexts()
{
    QFETCH(QString, text);
    Database::setDefaultSettings(cluster.settings());
    {
        Database store;
        QVERIFY(store.open());
        for (int offset : {-1, 0, 1, 59, 60, 61})
            QVERIFY(store.insert({text, text, text, QString::number(offset), stamp(base.addSecs(offset))}));
        QVERIFY(store.waitStored(10000));
    }
    RangeReader reader;
    const StoredRows rows = readRange(reader, base, base.addSecs(60));
    QCOMPARE(rows.size(), 4);
    for (int row = 0; row < rows.size(); ++row) {
        const int offset = QList<int>({0, 1, 59, 60}).at(row);
        QCOMPARE(rows.time(row), StoredRows::timeKey(base.addSecs(offset)));
        QCOMPARE(rows.range(row), offset);
        QCOMPARE(rows.value(row), text);
        QCOMPARE(rows.unit(row), text);
        QCOMPARE(rows.function(row), text);
    }
}

void TestRangeReader::tableWithoutKeyAnswersInTimeOrder()
{
    QCOMPARE(sql("alter table invoice drop column id"), QString());
    QCOMPARE(sql(QStringLiteral("insert into invoice values"
                                " ('DCV', '3', 'V', 1, '%1'), ('DCV', '1', 'V', 1, '%2'), ('DCV', '2', 'V', 1, '%3')")
                     .arg(stamp(base.addSecs(30)), stamp(base), stamp(base.addSecs(20)))),
        QString());
    RangeReader reader;
    const StoredRows rows = readRange(reader, base, base.addSecs(60));
    QCOMPARE(sql("alter table invoice add column id bigint generated always as identity primary key;"
                 " create index invoice_create_time_idx on invoice (create_time, id)"),
        QString());
    QCOMPARE(reader.state(), RangeReader::State::Finished);
    QStringList values;
    for (int row = 0; row < rows.size(); ++row)
        values << rows.value(row);
    QCOMPARE(values.join(','), QStringLiteral("1,2,3"));
}

void TestRangeReader::cancelStopsTheQueryOnTheServer()
{
    QCOMPARE(sql(QStringLiteral("insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time)"
                                " values ('DCV', '1', 'V', 1, '%1')")
                     .arg(stamp(base))),
        QString());
    // Another session holds the table, so the query waits on the server.
    QVERIFY2(cluster.lockInvoice(), qPrintable(cluster.errorString()));
    RangeReader reader;
    QSignalSpy progress(&reader, &RangeReader::progress);
    QSignalSpy finished(&reader, &RangeReader::finished);
    QVERIFY(reader.start(cluster.settings(), base, base.addDays(1)));
    QVERIFY(!reader.start(cluster.settings(), base, base.addDays(1)));
    const QString name = QLatin1String(RangeReader::applicationName);
    QTRY_COMPARE_WITH_TIMEOUT(cluster.sessions(name, QStringLiteral("Lock")), 1, 20000);
    QCOMPARE(reader.state(), RangeReader::State::Waiting);
    QTRY_COMPARE(progress.size(), 1);
    QCOMPARE(progress.first().first().toInt(), 0);

    reader.cancel();
    QVERIFY(finished.wait(10000));
    QCOMPARE(reader.state(), RangeReader::State::Cancelled);
    QVERIFY(reader.takeRows().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(cluster.sessions(name), 0, 10000);
    cluster.unlockInvoice();
}

void TestRangeReader::unreachableServerGivesAReason()
{
    // A privileged port that no server here listens on.
    Database::Settings settings = cluster.settings();
    settings.port = 1;
    RangeReader reader;
    QSignalSpy finished(&reader, &RangeReader::finished);
    QVERIFY(reader.start(settings, base, base.addDays(1)));
    QVERIFY(finished.wait(20000));
    QCOMPARE(reader.state(), RangeReader::State::Failed);
    QVERIFY2(!reader.errorString().isEmpty(), "no reason given");
    QVERIFY(reader.takeRows().isEmpty());
}

QUORVANE_TEST(TestRangeReader);
#include "tst_rangereader.moc"
