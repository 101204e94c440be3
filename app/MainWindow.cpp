#include "app/MainWindow.h"

#include "app/About.h"
#include "app/ComSet.h"
#include "app/HelpWindow.h"
#include "app/MineTime.h"
#include "display/Widget.h"
#include "history/DataQueryTime.h"
#include "history/HistoryData.h"
#include "meter/Communication.h"
#include "meter/Reading.h"
#include "meter/StoredReading.h"
#include "store/Database.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmapCache>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {
const int ClockInterval = 1000;
// The meter's line runs at 19230 baud, not the standard 19200.
const int MeterBaudRate = 19230;
// Room for everything the windows draw from the style's cache, in KiB.
const int PixmapCacheLimit = 512;
// How often a pulled meter's path is tried again.
const int ReopenInterval = 1000;
// How long closing waits for readings the store has not yet written.
const int CloseGraceMs = 1000;
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(tr("Quorvane"));
    // The panel lights and darkens its indicators by switching style sheets,
    // and every switch gives the widget a new palette. The style caches a
    // button's look under its palette, so a minus sign that flips all day
    // leaves a pixmap behind at every flip that is never asked for again.
    // Qt's default 10 MB cache holds hours of them; a small one drops them
    // early, and the main window's own looks fill less than half of it.
    QPixmapCache::setCacheLimit(PixmapCacheLimit);

    menuBar = new QMenuBar(this);
    toolBar = new QToolBar(this);
    statusBar = new QStatusBar(this);
    widget = new Widget(this);
    communication = new Communication(this);

    fileMenu = menuBar->addMenu(tr("&File"));
    quitAction = fileMenu->addAction(tr("&Quit"));
    setMenu = menuBar->addMenu(tr("&Set"));
    serialAction = setMenu->addAction(tr("Serial &port"));
    intervalAction = setMenu->addAction(tr("&Time interval"));
    historyMenu = menuBar->addMenu(tr("History &record"));
    queryAction = historyMenu->addAction(tr("History record &query"));
    helpMenu = menuBar->addMenu(tr("&Help"));
    instructionsAction = helpMenu->addAction(tr("Software &instructions"));
    aboutAction = helpMenu->addAction(tr("&About"));
    // Desktops of the Windows key scheme bind no key to Quit.
    const QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    quitAction->setShortcuts(quitKeys.isEmpty() ? QList<QKeySequence>{Qt::CTRL + Qt::Key_Q} : quitKeys);
    serialAction->setShortcut(QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_P));
    intervalAction->setShortcut(QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_I));
    queryAction->setShortcut(QKeySequence(Qt::CTRL + Qt::Key_H));
    instructionsAction->setShortcut(QKeySequence::HelpContents);

    // Parentless here; the tool bar takes them over below.
    startButton = new QToolButton;
    stopButton = new QToolButton;

    dateTimeLabel = new QLabel;
    statusBar->addPermanentWidget(dateTimeLabel, 0);
    connectLabel = new QLabel(tr("Disconnected"));
    statusBar->addWidget(connectLabel, 0);
    linkLabel = new QLabel;
    statusBar->addWidget(linkLabel, 0);
    storeLabel = new QLabel;
    // A long server message takes the room there is, never widens the window.
    storeLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar->addWidget(storeLabel, 1);

    timerDateTime = new QTimer(this);
    timerUpdate = new QTimer(this);
    reopenTimer = new QTimer(this);
    reopenTimer->setInterval(ReopenInterval);

    comSet = new ComSet(this);
    dataQueryTime = new DataQueryTime(this);
    mineTime = new MineTime(this);
    historyData = new HistoryData(this);

    // A store that cannot reach its server keeps the readings and sends
    // them once it can; the display works either way.
    database = std::make_unique<Database>();
    database->open();
    showStoreState();

    comSet->hide();
    dataQueryTime->hide();
    mineTime->hide();
    historyData->hide();

    startButton->setIcon(QIcon(QStringLiteral(":image/start.jpg")));
    startButton->setText(tr("Start"));
    startButton->setAutoRaise(true);
    startButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    stopButton->setIcon(QIcon(QStringLiteral(":image/stop.jpg")));
    stopButton->setText(tr("Stop"));
    stopButton->setAutoRaise(true);
    stopButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    stopButton->setEnabled(false);
    setButtonKey(startButton, Qt::Key_F5);
    setButtonKey(stopButton, Qt::Key_F6);

    toolBar->addWidget(startButton);
    toolBar->addWidget(stopButton);
    toolBar->setMovable(false);

    setMenuBar(menuBar);
    addToolBar(toolBar);
    setStatusBar(statusBar);
    setCentralWidget(widget);

    connect(quitAction, &QAction::triggered, this, &MainWindow::close);
    connect(serialAction, &QAction::triggered, this, &MainWindow::slot_serial);
    connect(intervalAction, &QAction::triggered, this, &MainWindow::slot_interval);
    connect(queryAction, &QAction::triggered, this, &MainWindow::slot_query);
    connect(instructionsAction, &QAction::triggered, this, &MainWindow::slot_direction);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::slot_about);
    connect(startButton, &QToolButton::clicked, this, &MainWindow::slot_start);
    connect(stopButton, &QToolButton::clicked, this, &MainWindow::slot_stop);
    connect(timerDateTime, &QTimer::timeout, this, &MainWindow::slot_timerDateTime);
    connect(timerUpdate, &QTimer::timeout, this, &MainWindow::slot_timerUpdate);
    connect(communication, &Communication::signal_funcRangeChange, widget, &Widget::slot_funcRangeChange);
    connect(communication, &Communication::signal_timer, this, &MainWindow::slot_stopUpdate);
    connect(communication, &Communication::signal_portLost, this, &MainWindow::slot_portLost);
    connect(reopenTimer, &QTimer::timeout, this, &MainWindow::slot_reopenPort);
    connect(comSet, &ComSet::signal_serialName, this, &MainWindow::slot_comset);
    connect(mineTime, &MineTime::signal_mineTime, this, &MainWindow::slot_mineTime);
    connect(dataQueryTime, &DataQueryTime::signal_dataTime, this, &MainWindow::slot_dataQuerytime);

    timerDateTime->start(ClockInterval);
}

MainWindow::~MainWindow() = default;

void MainWindow::slot_serial()
{
    bringUp(comSet);
}

void MainWindow::slot_interval()
{
    bringUp(mineTime);
}

void MainWindow::slot_query()
{
    bringUp(dataQueryTime);
}

void MainWindow::slot_direction()
{
    // A window of the program's own, not modal: the main window goes on.
    HelpWindow::showFor(this);
}

void MainWindow::slot_about()
{
    // Built afresh for every showing.
    About about(nullptr);
    about.exec();
}

void MainWindow::bringUp(QWidget *dialog)
{
    // Shown again from the menu or its key, a dialog comes to the front with
    // the keyboard, also where no window manager hands it over.
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void MainWindow::setButtonKey(QToolButton *button, int key)
{
    button->setShortcut(QKeySequence(key));
    button->setToolTip(QStringLiteral("%1 (%2)").arg(button->text(),
                                                     button->shortcut().toString(QKeySequence::NativeText)));
}

void MainWindow::slot_start()
{
    // A chosen port that is closed (pulled out, or it failed before) is
    // opened again, so plugging the meter back and pressing Start is enough.
    if (!chosenPort.isEmpty() && !communication->isPortOpen())
        openChosenPort();
    // A port that could not be opened yields nothing: say why instead of
    // showing a link that is not there.
    if (!portFailure.isEmpty()) {
        connectLabel->setText(portFailure);
        return;
    }
    if (communication->isPortOpen())
        linkLabel->clear();
    // Pressed from the keyboard, Start disables itself: the focus goes to
    // Stop rather than on to the table.
    const bool keyboard = startButton->hasFocus();
    widget->clearForStart();
    widget->setLinkIndicator(true);
    communication->startWatchdog();
    // Read from the dialog now, so an interval left with "Cancel" counts too.
    timerUpdate->start(mineTime->timeInterval());
    startButton->setEnabled(false);
    stopButton->setEnabled(true);
    connectLabel->setText(tr("Connected"));
    serialAction->setEnabled(false);
    intervalAction->setEnabled(false);
    if (keyboard)
        stopButton->setFocus(Qt::OtherFocusReason);
}

void MainWindow::slot_stop()
{
    const bool keyboard = stopButton->hasFocus();
    // A Stop by the person ends the wait for a pulled meter.
    reopenTimer->stop();
    widget->setLinkIndicator(false);
    timerUpdate->stop();
    startButton->setEnabled(true);
    stopButton->setEnabled(false);
    connectLabel->setText(stoppedText());
    serialAction->setEnabled(true);
    intervalAction->setEnabled(true);
    if (keyboard)
        startButton->setFocus(Qt::OtherFocusReason);
}

void MainWindow::slot_timerDateTime()
{
    dateTimeLabel->setText(QDateTime::currentDateTime().toString(QLatin1String(StoredReading::timeFormat)));
    // The store's state changes also while nothing is sampled.
    showStoreState();
}

void MainWindow::slot_timerUpdate()
{
    // A change of function or range is handled by the widget during this
    // call, so the reading that brought it starts the new series.
    if (!communication->takeLatestFrame())
        return;
    storeReading();
    widget->showReading();
    widget->updateBar();
}

void MainWindow::slot_stopUpdate()
{
    // A pulled meter that is awaited is named already, and acquisition is
    // to go on when it is back: its silence stops nothing.
    if (reopenTimer->isActive())
        return;
    slot_stop();
    widget->stopUpdate();
    if (!portLost)
        linkLabel->setText(tr("No data from the meter for 5 s"));
}

void MainWindow::slot_portLost()
{
    portLost = true;
    linkLabel->setText(communication->portError());
    widget->setLinkIndicator(false);
    if (startButton->isEnabled())
        return;
    // Pulled while acquiring: sampling waits for the same path to return.
    timerUpdate->stop();
    connectLabel->setText(tr("Disconnected"));
    reopenTimer->start();
}

void MainWindow::slot_reopenPort()
{
    // Failed tries stay quiet: the loss is named already.
    if (!communication->openPort(chosenPort, MeterBaudRate))
        return;
    reopenTimer->stop();
    portFailure.clear();
    portLost = false;
    widget->setLinkIndicator(true);
    communication->startWatchdog();
    // With the interval it had.
    timerUpdate->start();
    connectLabel->setText(tr("Connected"));
    linkLabel->setText(tr("Meter back on %1: acquisition resumed").arg(chosenPort));
}

bool MainWindow::openChosenPort()
{
    const bool opened = communication->openPort(chosenPort, MeterBaudRate);
    portFailure = opened ? QString() : communication->portError();
    if (opened) {
        portLost = false;
        linkLabel->clear();
    }
    return opened;
}

void MainWindow::slot_comset(const QString &name)
{
    chosenPort = name;
    openChosenPort();
    const bool running = !startButton->isEnabled();
    connectLabel->setText(running && portFailure.isEmpty() ? tr("Connected") : stoppedText());
}

void MainWindow::slot_mineTime(int interval)
{
    timerUpdate->stop();
    timerUpdate->start(interval);
}

void MainWindow::slot_dataQuerytime(QDateTime &startTime, QDateTime &stopTime)
{
    const QString unreachable = database->connectFailure();
    if (!database->isOpen() || !unreachable.isEmpty()) {
        QMessageBox::warning(this, tr("History record query"),
            tr("The database cannot be reached, so no stored readings can be shown.") + QLatin1Char('\n')
                + unreachable,
            QMessageBox::Ok);
        return;
    }
    // The window reads the range itself and shows itself when it has it.
    historyData->queryRange(database->settings(), startTime, stopTime);
}

void MainWindow::storeReading()
{
    // addSample() stamps the reading with the current time, which the
    // record carries, so it comes first.
    widget->addSample();

    database->insert(StoredReading::record(Reading::current()));
    showStoreState();
}

void MainWindow::showStoreState()
{
    QStringList notices;
    const QString failure = database->failure();
    if (!failure.isEmpty())
        notices << tr("Readings not stored: %1").arg(failure);
    if (const int setAside = database->setAsideCount())
        notices << tr("%1 readings refused by the database set aside in %2")
                       .arg(setAside)
                       .arg(QDir::toNativeSeparators(Database::spoolDirectory()));
    const QString spoolFailure = database->spoolFailure();
    if (!spoolFailure.isEmpty())
        notices << tr("Readings cannot be kept on disk: %1").arg(spoolFailure);
    if (const int lost = database->lostCount())
        notices << tr("%1 readings lost").arg(lost);
    storeLabel->setText(notices.join(QStringLiteral("; ")));
    storeLabel->setToolTip(storeLabel->text());
    storeLabel->setVisible(!notices.isEmpty());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    timerUpdate->stop();
    // A moment for what the store has in hand.
    database->waitStored(CloseGraceMs);
    if (const int kept = database->pendingCount()) {
        QMessageBox::information(this, tr("Quorvane"),
            tr("%1 readings are kept and will be stored when the database is reachable").arg(kept));
    }
    QMainWindow::closeEvent(event);
}

QString MainWindow::stoppedText() const
{
    return portFailure.isEmpty() ? tr("Disconnected") : portFailure;
}
