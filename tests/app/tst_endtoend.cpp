#include "app/MainWindow.h"
#include "history/HistoryData.h"
#include "meter/Reading.h"
#include "store/Database.h"
#include "tests/app/MainWindowProbe.h"
#include "tests/app/SimulatorProcess.h"
#include "tests/common/ModalScript.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {
const QString TimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

struct Sample
{
    QStringList record;   // function, value, unit, range, time: as it must be stored
    int functionIndex;
    int range;
};

// Records every sample the live table takes, read from the reading it shows.
QList<Sample> *watchSamples(QObject *context, const QTableWidget *table)
{
    auto *samples = new QList<Sample>;
    QObject::connect(table->model(), &QAbstractItemModel::rowsInserted, context, [samples] {
        const Reading &reading = Reading::current();
        *samples << Sample{{reading.functionText, (reading.negative ? "-" : "") + reading.valueText,
                            reading.unitText, QString::number(reading.range), reading.time.toString(TimeFormat)},
                           reading.functionIndex, reading.range};
    });
    return samples;
}

// Length of the newest series: the samples since the last change of function or range.
int newestSeriesLength(const QList<Sample> &samples)
{
    int length = 0;
    for (int i = samples.size() - 1; i >= 0; --i) {
        if (samples.at(i).functionIndex != samples.last().functionIndex || samples.at(i).range != samples.last().range)
            break;
        ++length;
    }
    return length;
}

// Starts sampling the simulator in the window; its samples are recorded.
QList<Sample> *startSampling(MainWindow &window, SimulatorProcess &simulator)
{
    window.show();
    MainWindowProbe probe(&window);
    QList<Sample> *samples = watchSamples(&window, probe.liveTable());
    probe.choosePort(simulator.devicePath());
    probe.startButton()->click();
    return samples;
}

int seriesCount(const QList<Sample> &samples)
{
    int count = samples.isEmpty() ? 0 : 1;
    for (int i = 1; i < samples.size(); ++i) {
        if (samples.at(i).functionIndex != samples.at(i - 1).functionIndex || samples.at(i).range != samples.at(i - 1).range)
            ++count;
    }
    return count;
}
}

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void meterToDisplayStoreAndHistory();
    void startWithoutPortStopsAfterSilence();
    void databaseDownAtStartUp();
    void heldLockNeverStallsTheWindow();

private:
    bool allStored(const QList<Sample> &samples);

    PgCluster cluster;
    QTemporaryDir dataHome;   // where the store keeps readings not yet stored
};

void TestEndToEnd::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY2(cluster.start(), qPrintable(cluster.errorString()));
    Database::setDefaultSettings(cluster.settings());
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
}

// Every sample stored once, nothing else.
bool TestEndToEnd::allStored(const QList<Sample> &samples)
{
    QList<QStringList> expected;
    for (const Sample &sample : samples)
        expected << sample.record;
    return cluster.storedRecords() == expected;
}

void TestEndToEnd::init()
{
    Reading::current().reset();
    QVERIFY(cluster.execSql(QStringLiteral("delete from invoice")));
}

void TestEndToEnd::meterToDisplayStoreAndHistory()
{
    SimulatorProcess simulator;
    QVERIFY2(simulator.start({"--scenario", "tour", "--rate", "20", "--hold", "6"}), qPrintable(simulator.errorString()));

    MainWindow window;
    window.show();
    MainWindowProbe probe(&window);
    QTableWidget *table = probe.liveTable();
    QScopedPointer<QList<Sample>> samples(watchSamples(&window, table));
    const QDateTime runStart = QDateTime::currentDateTime().addSecs(-1);

    probe.choosePort(simulator.devicePath());
    probe.startButton()->click();
    QVERIFY(probe.isRunning());

    // Within a few seconds the readings reach table, plot and panel.
    QTRY_VERIFY_WITH_TIMEOUT(table->rowCount() >= 3, 10000);
    QCOMPARE(probe.livePlotPoints(), table->rowCount());
    QSet<QString> functions;
    for (const Sample &sample : qAsConst(*samples))
        functions << sample.record.at(0);
    QVERIFY2(functions.contains(probe.panelFunction()), qPrintable(probe.panelFunction()));

    // The tour moves on to another function or range: table and plot restart
    // with the reading that brought the change.
    QTRY_VERIFY_WITH_TIMEOUT(seriesCount(*samples) >= 3, 30000);
    probe.stopButton()->click();
    QVERIFY(probe.isStopped());
    const int series = newestSeriesLength(*samples);
    QCOMPARE(table->rowCount(), series);
    QCOMPARE(probe.livePlotPoints(), series);
    const Sample &first = samples->at(samples->size() - series);
    QCOMPARE(table->item(0, 0)->text(), first.record.at(4));
    QCOMPARE(table->item(0, 2)->text(), first.record.at(0));

    // Stop keeps the display while the meter goes on sending.
    const int taken = samples->size();
    QTest::qWait(600);
    QCOMPARE(samples->size(), taken);
    QCOMPARE(table->rowCount(), series);
    QCOMPARE(probe.livePlotPoints(), series);

    // Running again, the meter pulled and Stop: 5000 ms after the last byte table and plot empty.
    probe.startButton()->click();
    QCOMPARE(table->rowCount(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(table->rowCount() >= 2, 10000);
    simulator.stop();
    QElapsedTimer silence;
    silence.start();
    QTRY_VERIFY_WITH_TIMEOUT(!probe.rs232Lit(), 2000);
    probe.stopButton()->click();
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 0, 15000);
    QVERIFY2(silence.elapsed() >= 4000, qPrintable(QString::number(silence.elapsed())));
    QVERIFY(probe.isStopped());
    QCOMPARE(probe.livePlotPoints(), 0);
    QVERIFY(!probe.rs232Lit());
    const QDateTime runEnd = QDateTime::currentDateTime().addSecs(1);

    // Exactly one stored row per sample, with the five texts of the record.
    QStringList expected;
    for (const Sample &sample : qAsConst(*samples))
        expected << sample.record.join(QLatin1Char('|'));
    QStringList stored;
    const QList<QStringList> records = cluster.storedRecords();
    for (const QStringList &record : records)
        stored << record.join(QLatin1Char('|'));
    expected.sort();
    stored.sort();
    QCOMPARE(stored.size(), samples->size());
    QCOMPARE(stored, expected);

    // The history query around the run shows those rows.
    probe.queryHistory(runStart, runEnd);
    QVERIFY(probe.historyData()->isVisible());
    QStringList shown;
    const QList<QStringList> historyRows = probe.historyRows();
    for (const QStringList &row : historyRows)   // time, value, unit, function
        shown << QStringList{row.value(3), row.value(1), row.value(2), row.value(0)}.join(QLatin1Char('|'));
    QStringList wanted;
    for (const Sample &sample : qAsConst(*samples)) {
        const QStringList &record = sample.record;
        wanted << QStringList{record.at(0), record.at(1), record.at(2), record.at(4)}.join(QLatin1Char('|'));
    }
    // In time order, samples of one second in the order they were taken.
    QCOMPARE(shown, wanted);
}

void TestEndToEnd::startWithoutPortStopsAfterSilence()
{
    MainWindow window;
    window.show();
    MainWindowProbe probe(&window);
    probe.startButton()->click();
    QVERIFY(probe.isRunning());
    QElapsedTimer silence;
    silence.start();
    QTRY_VERIFY_WITH_TIMEOUT(probe.isStopped(), 15000);
    QVERIFY2(silence.elapsed() >= 4000, qPrintable(QString::number(silence.elapsed())));
    QVERIFY(probe.statusShows(QStringLiteral("No data from the meter for 5 s")));
    QCOMPARE(probe.liveTable()->rowCount(), 0);
    QCOMPARE(probe.livePlotPoints(), 0);
    QVERIFY(cluster.storedRecords().isEmpty());
}

// Server down from the start: the reason is named, closing tells the readings kept, the next start stores them once.
void TestEndToEnd::databaseDownAtStartUp()
{
    cluster.stop();
    SimulatorProcess simulator;
    QVERIFY2(simulator.start({"--rate", "20"}), qPrintable(simulator.errorString()));
    QScopedPointer<QList<Sample>> samples;
    {
        MainWindow window;
        samples.reset(startSampling(window, simulator));
        MainWindowProbe probe(&window);
        QTRY_VERIFY_WITH_TIMEOUT(samples->size() >= 3, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(probe.storeNotice().contains("Is the server running"), 5000);
        const QDateTime now = QDateTime::currentDateTime();
        ModalScript query({ModalScript::click("OK")});
        probe.queryHistory(now.addSecs(-600), now.addSecs(600));
        QCOMPARE(query.titles(), QStringList{"History record query"});
        QVERIFY2(query.seen().first().text.contains("Is the server running"), qPrintable(query.seen().first().text));
        QVERIFY(!probe.historyData()->isVisible());
        ModalScript close({ModalScript::click("OK")});
        window.close();
        QCOMPARE(close.seen().first().text, QStringLiteral("%1 readings are kept and will be stored when the "
                                                           "database is reachable").arg(samples->size()));
    }
    simulator.stop();
    QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    MainWindow next;
    QTRY_VERIFY_WITH_TIMEOUT(allStored(*samples), 15000);
}

void TestEndToEnd::heldLockNeverStallsTheWindow()
{
    SimulatorProcess simulator;
    QVERIFY2(simulator.start({"--rate", "20"}), qPrintable(simulator.errorString()));
    MainWindow window;
    QScopedPointer<QList<Sample>> samples(startSampling(window, simulator));
    QTRY_VERIFY_WITH_TIMEOUT(samples->size() >= 3, 10000);
    // Another session holds the table for 4 s; the event loop keeps its pace.
    QVERIFY2(cluster.lockInvoice(), qPrintable(cluster.errorString()));
    QElapsedTimer held, sinceLast;
    held.start();
    sinceLast.start();
    qint64 longestGap = 0;
    QString notice;
    const int before = samples->size();
    while (held.elapsed() < 4000) {
        QTest::qWait(5);
        longestGap = std::max(longestGap, sinceLast.restart());
        notice = notice.isEmpty() ? MainWindowProbe(&window).storeNotice() : notice;
    }
    cluster.unlockInvoice();
    QVERIFY2(longestGap < 500 && samples->size() - before > 20, qPrintable(QString::number(longestGap)));
    QVERIFY2(notice.contains("statement timeout"), qPrintable(notice));
    simulator.stop();
    QTRY_VERIFY_WITH_TIMEOUT(allStored(*samples), 15000);
}

QUORVANE_TEST(TestEndToEnd);
#include "tst_endtoend.moc"
