#include "app/ComSet.h"
#include "app/MainWindow.h"
#include "app/MineTime.h"
#include "display/MinusButton.h"
#include "history/DataQueryTime.h"
#include "history/HistoryData.h"
#include "meter/FrameEncoder.h"
#include "meter/Reading.h"
#include "store/Database.h"
#include "tests/app/MainWindowProbe.h"
#include "tests/app/MeterLine.h"
#include "tests/app/SimulatorProcess.h"
#include "tests/common/ConsoleCapture.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTableWidget>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <functional>
#include <malloc.h>

namespace {
const int FuncDCV = 2;
const int FuncOHM = 4;
const int FuncTEMPF = 11;

QByteArray frame(int functionIndex, int range, int count, bool negative = false, bool overload = false)
{
    FrameEncoder::Fields fields;
    if (!FrameEncoder::fieldsFor(functionIndex, range, count, &fields))
        return QByteArray();
    fields.negative = negative;
    fields.overload = overload;
    return FrameEncoder::encode(fields);
}

QStringList cells(const QTableWidget *table, int row)
{
    QStringList texts;
    for (int column = 0; column < table->columnCount(); ++column)
        texts << (table->item(row, column) ? table->item(row, column)->text() : QString());
    return texts;
}
}

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpState();
    void menuEntriesShowTheirDialogs();
    void sampleIsShownAndStored_data();
    void sampleIsShownAndStored();
    void onlyTheNewestFrameIsTaken();
    void changeOfFunctionOrRangeRestartsSeries();
    void stopKeepsTheDisplay();
    void portThatCannotOpenIsNotConnected();
    void pulledMeterIsNamedAndComesBack();
    void outageShowsReadingsNotStored();
    void intervalConfirmedWhileStoppedSamples();
    void intervalLeftWithCancelCountsAtStart();
    void signFlipsLeaveNoLooksBehind();
    void aboutIsBuiltAfreshEachTime();
    void quitClosesTheWindow();
    void keyboardOnlySession();

private:
    // The meter sends frames continuously, so a frame is always followed by
    // the start of the next; the link waits for that byte.
    bool send(const QByteArray &bytes) { return meter.write(bytes + bytes.left(1)); }

    PgCluster cluster;
    QTemporaryDir dataHome;   // where the store keeps readings not yet stored
    MeterLine meter;
    MainWindow *window = nullptr;
    MainWindowProbe *probe = nullptr;
};

void TestMainWindow::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QVERIFY2(cluster.start(), qPrintable(cluster.errorString()));
    Database::setDefaultSettings(cluster.settings());
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
}

void TestMainWindow::init()
{
    Reading::current().reset();
    QVERIFY(cluster.execSql(QStringLiteral("delete from invoice")));
    QVERIFY(meter.open());
    window = new MainWindow;
    window->show();
    probe = new MainWindowProbe(window);
}

void TestMainWindow::cleanup()
{
    delete probe;
    probe = nullptr;
    delete window;
    window = nullptr;
    meter.close();
}

void TestMainWindow::startUpState()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("Quorvane"));

    const QMainWindow *base = window;
    QStringList menus;
    QStringList entries;
    const QList<QAction *> menuActions = base->menuBar()->actions();
    for (const QAction *menuAction : menuActions) {
        menus << QString(menuAction->text()).remove('&');
        const QList<QAction *> items = menuAction->menu()->actions();
        for (const QAction *item : items)
            entries << QString(item->text()).remove('&');
    }
    QCOMPARE(menus, (QStringList{"File", "Set", "History record", "Help"}));
    QCOMPARE(entries, (QStringList{"Quit", "Serial port", "Time interval", "History record query",
                                   "Software instructions", "About"}));

    QVERIFY(probe->startButton() && probe->stopButton());
    QVERIFY(probe->isStopped());
    QCOMPARE(probe->startButton()->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    QVERIFY(!probe->startButton()->icon().isNull());
    QVERIFY(!probe->stopButton()->icon().isNull());
    QCOMPARE(QImage(QStringLiteral(":image/start.jpg")).size(), QSize(256, 256));
    QCOMPARE(QImage(QStringLiteral(":image/stop.jpg")).size(), QSize(256, 256));
    QVERIFY(!window->findChild<QToolBar *>()->isMovable());

    QVERIFY(!probe->comSet()->isVisible());
    QVERIFY(!probe->mineTime()->isVisible());
    QVERIFY(!probe->dataQueryTime()->isVisible());
    QVERIFY(!probe->historyData()->isVisible());
    QVERIFY(!probe->samplingTimer()->isActive());

    // The clock stays empty until its first tick, then shows the time.
    QLabel *clock = probe->clockLabel();
    QVERIFY(clock);
    QCOMPARE(clock->text(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!clock->text().isEmpty(), 5000);
    const QDateTime shown = QDateTime::fromString(clock->text(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    QVERIFY2(shown.isValid(), qPrintable(clock->text()));
    QVERIFY(qAbs(shown.secsTo(QDateTime::currentDateTime())) <= 3);
}

void TestMainWindow::menuEntriesShowTheirDialogs()
{
    probe->action(QStringLiteral("Serial port"))->trigger();
    QVERIFY(probe->comSet()->isVisible());
    QVERIFY(!probe->comSet()->isModal());
    probe->action(QStringLiteral("Time interval"))->trigger();
    QVERIFY(probe->mineTime()->isVisible());
    probe->action(QStringLiteral("History record query"))->trigger();
    QVERIFY(probe->dataQueryTime()->isVisible());
    // All three at once: none of them blocks the window.
    QVERIFY(probe->comSet()->isVisible() && probe->mineTime()->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestMainWindow::sampleIsShownAndStored_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("record");   // function, value, unit, range
    QTest::addColumn<QString>("dataCell");

    QTest::newRow("DCV range 1") << frame(FuncDCV, 1, 12345)
                                 << QStringList{"DCV", "12.345", "V", "1"} << "12.345 V";
    QTest::newRow("negative DCV") << frame(FuncDCV, 1, 1500, true)
                                  << QStringList{"DCV", "-1.500", "V", "1"} << "-1.500 V";
    QTest::newRow("OHM range 0") << frame(FuncOHM, 0, 5000)
                                 << QStringList{"OHM", "50.00", QString::fromUtf8("\u03A9"), "0"}
                                 << QString::fromUtf8("50.00 \u03A9");
    QTest::newRow("overload DCV range 1") << frame(FuncDCV, 1, 0, false, true)
                                          << QStringList{"DCV", "O.L  ", "V", "1"} << "O.L   V";
    QTest::newRow("TEMP Fahrenheit") << frame(FuncTEMPF, 0, 250)
                                     << QStringList{"TEMP", "77.0", QString::fromUtf8("\u2109"), "0"}
                                     << QString::fromUtf8("77.0 \u2109");
}

void TestMainWindow::sampleIsShownAndStored()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, record);
    QFETCH(QString, dataCell);
    QVERIFY(!bytes.isEmpty());

    probe->choosePort(meter.slavePath());
    QVERIFY(!probe->comSet()->isVisible());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    probe->startButton()->click();
    QVERIFY(probe->isRunning());
    QVERIFY(probe->rs232Lit());
    QVERIFY(send(bytes));

    QTableWidget *table = probe->liveTable();
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 1, 5000);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    const QStringList row = cells(table, 0);
    QCOMPARE(row.mid(1), (QStringList{dataCell, record.at(0)}));
    QCOMPARE(probe->livePlotPoints(), 1);
    QCOMPARE(probe->panelFunction(), record.at(0));

    QTRY_COMPARE_WITH_TIMEOUT(cluster.storedRecords().size(), 1, 5000);
    const QList<QStringList> stored = cluster.storedRecords();
    QCOMPARE(stored.first().mid(0, 4), record);
    // The stored time is the sample's time, as the table shows it.
    QCOMPARE(stored.first().at(4), row.at(0));
    const QDateTime time = QDateTime::fromString(row.at(0), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    QVERIFY(time >= before && time <= after);

    // No new frame: later ticks take nothing.
    QTest::qWait(300);
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(cluster.storedRecords().size(), 1);
}

void TestMainWindow::onlyTheNewestFrameIsTaken()
{
    probe->choosePort(meter.slavePath());
    // Two frames arrive before the first tick: only the newer one is sampled.
    QVERIFY(meter.write(frame(FuncDCV, 1, 11111) + frame(FuncDCV, 1, 22222) + "0"));
    QTest::qWait(200);
    probe->startButton()->click();
    QTableWidget *table = probe->liveTable();
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 1, 5000);
    QCOMPARE(cells(table, 0).at(1), QStringLiteral("22.222 V"));

    // Part of a frame changes nothing until the rest arrives.
    const QByteArray third = frame(FuncDCV, 1, 3333);
    QVERIFY(meter.write(third.left(9)));
    QTest::qWait(400);
    QCOMPARE(table->rowCount(), 1);
    QVERIFY(send(third.mid(9)));
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 2, 5000);
    QCOMPARE(cells(table, 1).at(1), QStringLiteral("3.333 V"));

    QTRY_COMPARE_WITH_TIMEOUT(cluster.storedRecords().size(), 2, 5000);
    const QList<QStringList> stored = cluster.storedRecords();
    QCOMPARE(stored.at(0).at(1), QStringLiteral("22.222"));
    QCOMPARE(stored.at(1).at(1), QStringLiteral("3.333"));
}

void TestMainWindow::changeOfFunctionOrRangeRestartsSeries()
{
    probe->choosePort(meter.slavePath());
    probe->startButton()->click();
    QTableWidget *table = probe->liveTable();
    QVERIFY(send(frame(FuncDCV, 1, 1000)));
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 1, 5000);
    QVERIFY(send(frame(FuncDCV, 1, 2000)));
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 2, 5000);
    QCOMPARE(probe->livePlotPoints(), 2);

    // A new range: the reading that brought it is the new series' first.
    QVERIFY(send(frame(FuncDCV, 2, 3000)));
    QTRY_COMPARE_WITH_TIMEOUT(cells(table, 0).at(1), QStringLiteral("30.00 V"), 5000);
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(probe->livePlotPoints(), 1);

    // A new function likewise.
    QVERIFY(send(frame(FuncOHM, 0, 4000)));
    QTRY_COMPARE_WITH_TIMEOUT(cells(table, 0).at(2), QStringLiteral("OHM"), 5000);
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(probe->livePlotPoints(), 1);

    // Every sample was stored, across the restarts.
    QTRY_COMPARE_WITH_TIMEOUT(cluster.storedRecords().size(), 4, 5000);
}

void TestMainWindow::stopKeepsTheDisplay()
{
    probe->choosePort(meter.slavePath());
    probe->startButton()->click();
    QTableWidget *table = probe->liveTable();
    QVERIFY(send(frame(FuncDCV, 1, 1000)));
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 1, 5000);
    QVERIFY(send(frame(FuncDCV, 1, 1001)));
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 2, 5000);

    probe->stopButton()->click();
    QVERIFY(probe->isStopped());
    QVERIFY(!probe->rs232Lit());
    QVERIFY(!probe->samplingTimer()->isActive());
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(probe->livePlotPoints(), 2);

    // The port stays open, but nothing is sampled while stopped.
    QVERIFY(send(frame(FuncDCV, 1, 1002)));
    QTest::qWait(400);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(cluster.storedRecords().size(), 2);

    // Start again empties table and plot and takes the waiting frame.
    probe->startButton()->click();
    QCOMPARE(table->rowCount(), 0);
    QCOMPARE(probe->livePlotPoints(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 1, 5000);
    QCOMPARE(cells(table, 0).at(1), QStringLiteral("1.002 V"));
}

void TestMainWindow::portThatCannotOpenIsNotConnected()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("ttyUSB0");
    const QString why = "Cannot open " + missing + ": No such file or directory";
    // A run and a stop first put the RS232 indicator out.
    probe->choosePort(meter.slavePath());
    probe->startButton()->click();
    probe->stopButton()->click();
    QVERIFY(!probe->rs232Lit());
    probe->choosePort(missing);
    QCOMPARE(probe->connectLabel()->text(), why);
    probe->startButton()->click();
    QCOMPARE(probe->connectLabel()->text(), why);
    QVERIFY(probe->startButton()->isEnabled());
    QVERIFY(!probe->rs232Lit());
    QVERIFY(!probe->samplingTimer()->isActive());
    // A port that opens clears the line; Start then runs as before.
    probe->choosePort(meter.slavePath());
    QVERIFY(probe->isStopped());
    probe->startButton()->click();
    QVERIFY(probe->isRunning());
}

void TestMainWindow::pulledMeterIsNamedAndComesBack()
{
    // The simulator behind a fixed link, as /dev/serial/by-id/ names stay across a replug.
    QTemporaryDir dir;
    const QString path = dir.filePath("ttyUSB0");
    const QStringList arguments{"--link", path, "--rate", "20"};
    const QString removed = "Meter disconnected: " + path + " was removed";
    SimulatorProcess simulator;
    QVERIFY2(simulator.start(arguments), qPrintable(simulator.errorString()));
    probe->choosePort(path);
    probe->startButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(probe->liveTable()->rowCount() > 0, 5000);
    // Pulled while acquiring: named at once; back on the same path, it goes on by itself.
    simulator.stop();
    QTRY_VERIFY_WITH_TIMEOUT(probe->statusShows(removed), 2000);
    QVERIFY(!probe->rs232Lit() && probe->connectLabel()->text() == QLatin1String("Disconnected"));
    const int stored = cluster.storedRecords().size();
    QVERIFY(simulator.start(arguments));
    QTRY_VERIFY_WITH_TIMEOUT(cluster.storedRecords().size() > stored, 10000);
    QVERIFY(probe->isRunning() && probe->rs232Lit());
    // A Stop by the person ends the wait; Start opens the path again, or says why it cannot.
    simulator.stop();
    QTRY_VERIFY_WITH_TIMEOUT(probe->statusShows(removed), 2000);
    probe->stopButton()->click();
    probe->startButton()->click();
    QCOMPARE(probe->connectLabel()->text(), "Cannot open " + path + ": No such file or directory");
    QVERIFY(simulator.start(arguments));
    QTest::qWait(1500);
    QVERIFY(probe->startButton()->isEnabled() && !probe->rs232Lit());
    probe->startButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(probe->liveTable()->rowCount() > 0, 5000);
}

void TestMainWindow::outageShowsReadingsNotStored()
{
    probe->choosePort(meter.slavePath());
    probe->startButton()->click();
    int count = 0;
    // Sends readings until the condition holds, one every 100 ms.
    auto sendUntil = [&](const std::function<bool()> &condition) {
        for (int i = 0; i < 100 && !condition(); ++i) {
            send(frame(FuncDCV, 0, ++count));
            QTest::qWait(100);
        }
        return condition();
    };
    QVERIFY(sendUntil([&] { return probe->liveTable()->rowCount() > 0; }));
    QCOMPARE(probe->storeNotice(), QString());
    ConsoleCapture console;
    cluster.stop();
    // The reason is the one the connection gives.
    QVERIFY2(sendUntil([&] { return probe->storeNotice().contains("Is the server running"); }),
             qPrintable(probe->storeNotice()));
    QVERIFY(probe->storeNotice().startsWith("Readings not stored: "));
    QVERIFY2(cluster.restart(), qPrintable(cluster.errorString()));
    // Stopped, the held readings still drain and the notice goes.
    probe->stopButton()->click();
    const int taken = probe->liveTable()->rowCount();
    QTRY_COMPARE_WITH_TIMEOUT(probe->storeNotice(), QString(), 10000);
    QCOMPARE(cluster.storedRecords().size(), taken);
    const QString printed = console.text();
    QVERIFY2(printed.isEmpty(), qPrintable(printed));
}

void TestMainWindow::intervalConfirmedWhileStoppedSamples()
{
    probe->choosePort(meter.slavePath());
    probe->chooseInterval(1, true);
    QVERIFY(!probe->mineTime()->isVisible());
    QVERIFY(probe->samplingTimer()->isActive());
    QCOMPARE(probe->samplingTimer()->interval(), 1000);

    // Sampling runs although the window still says it is stopped.
    QVERIFY(send(frame(FuncDCV, 1, 4321)));
    QTRY_COMPARE_WITH_TIMEOUT(probe->liveTable()->rowCount(), 1, 5000);
    QVERIFY(probe->isStopped());
    QTRY_COMPARE_WITH_TIMEOUT(cluster.storedRecords().size(), 1, 5000);
}

void TestMainWindow::intervalLeftWithCancelCountsAtStart()
{
    probe->chooseInterval(2, false);
    QVERIFY(!probe->samplingTimer()->isActive());
    probe->startButton()->click();
    QVERIFY(probe->samplingTimer()->isActive());
    QCOMPARE(probe->samplingTimer()->interval(), 2000);
    probe->stopButton()->click();

    // Automatic acquisition again: 60 ms.
    probe->action(QStringLiteral("Time interval"))->trigger();
    probe->mineTime()->findChild<QCheckBox *>()->setChecked(true);
    MainWindowProbe::button(probe->mineTime(), QStringLiteral("OK"))->click();
    QCOMPARE(probe->samplingTimer()->interval(), 60);
}

void TestMainWindow::signFlipsLeaveNoLooksBehind()
{
    // Every flip of the minus sign switches its style sheet and so its
    // palette, under which the style caches the button's look. Hours of
    // flipping must not keep all those looks (2.6 KiB a flip when it did).
    // What remains are the cache's key texts, about 0.3 KiB a flip, which
    // the cache itself sweeps out every 30 s of event loop.
    auto *minus = window->findChild<MinusButton *>();
    QVERIFY(minus);
    const auto flip = [minus](int times) {
        for (int i = 0; i < times; ++i) {
            minus->setLight(i % 2 == 0);
            minus->grab();
        }
    };
    flip(1500);
    const size_t before = mallinfo2().uordblks;
    flip(2000);
    const size_t after = mallinfo2().uordblks;
    const size_t bound = 1536 * 1024;
    QVERIFY2(after < before + bound, qPrintable(QStringLiteral("heap grew by %1 KiB").arg((after - before) / 1024)));
}

void TestMainWindow::aboutIsBuiltAfreshEachTime()
{
    for (int showing = 0; showing < 2; ++showing) {
        QPointer<QDialog> shown;
        QStringList texts;
        // The about box is modal: answer it from a timer once it is up.
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            answer.stop();
            shown = dialog;
            const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
            for (const QLabel *label : labels)
                texts << label->text();
            MainWindowProbe::button(dialog, QStringLiteral("OK"))->click();
        });
        answer.start(50);
        probe->action(QStringLiteral("About"))->trigger();

        // And the server this window's readings go to.
        QCOMPARE(texts, (QStringList{"Software name: Quorvane", "Software version: V1.0",
                                     QStringLiteral("Readings go to:\npostgres@127.0.0.1:%1/quorvane").arg(cluster.port())}));
        QVERIFY(shown.isNull());   // destroyed when it was closed
    }
}

void TestMainWindow::quitClosesTheWindow()
{
    QVERIFY(window->isVisible());
    probe->action(QStringLiteral("Quit"))->trigger();
    QVERIFY(!window->isVisible());
}

void TestMainWindow::keyboardOnlySession()
{
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    const auto key = [](int code) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(code)); };
    // Tab goes round Start, the table and the plot (Stop is disabled).
    QSet<QWidget *> stops;
    for (int tab = 0; tab < 8; ++tab, key(Qt::Key_Tab))
        stops << QApplication::focusWidget();
    QVERIFY(stops.size() <= 4 && stops.contains(probe->startButton()) && stops.contains(probe->liveTable()));
    // Space on Start or Stop hands the focus to the other; F5 and F6 click them after a short flash.
    probe->startButton()->setFocus();
    for (int code : {Qt::Key_Space, Qt::Key_Space, Qt::Key_F5, Qt::Key_F6}) {
        const bool starts = probe->isStopped();
        key(code);
        QTRY_COMPARE(probe->isRunning(), starts);
        QVERIFY(code != Qt::Key_Space || (starts ? probe->stopButton() : probe->startButton())->hasFocus());
    }
    QTest::keySequence(window, QKeySequence(Qt::CTRL + Qt::Key_H));
    QTRY_VERIFY(probe->dataQueryTime()->isActiveWindow());
    QApplication::setActiveWindow(window);
    QTest::keySequence(window, QKeySequence(Qt::CTRL + Qt::Key_Q));
    QVERIFY(!window->isVisible());
}

QUORVANE_TEST(TestMainWindow);
#include "tst_mainwindow.moc"
