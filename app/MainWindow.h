#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QMainWindow>

#include <memory>

class QAction;
class QCloseEvent;
class QDateTime;
class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class Communication;
class ComSet;
class DataQueryTime;
class Database;
class HistoryData;
class MineTime;
class Widget;

// The program's one window: menus, the Start/Stop tool bar, the status bar
// with link state and clock, the live display, and the sampling loop that
// moves each newest meter frame to the display and the store.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    // Readings the store could not write yet stay kept; closing says so.
    void closeEvent(QCloseEvent *event) override;

private slots:
    void slot_serial();
    void slot_interval();
    void slot_query();
    void slot_direction();
    void slot_about();
    void slot_start();
    void slot_stop();
    void slot_timerDateTime();
    void slot_timerUpdate();
    void slot_stopUpdate();
    void slot_comset(const QString &name);
    void slot_mineTime(int interval);
    void slot_dataQuerytime(QDateTime &startTime, QDateTime &stopTime);
    void slot_portLost();
    void slot_reopenPort();

private:
    static void bringUp(QWidget *dialog);
    // The key also shows in the button's tip.
    static void setButtonKey(QToolButton *button, int key);
    void storeReading();
    void showStoreState();
    QString stoppedText() const;
    // Opens the chosen port; on failure portFailure says why.
    bool openChosenPort();

    QMenuBar *menuBar;
    QToolBar *toolBar;
    QStatusBar *statusBar;
    Widget *widget;
    QMenu *fileMenu;
    QMenu *setMenu;
    QMenu *historyMenu;
    QMenu *helpMenu;
    QAction *quitAction;
    QAction *serialAction;
    QAction *intervalAction;
    QAction *queryAction;
    QAction *instructionsAction;
    QAction *aboutAction;
    QToolButton *startButton;
    QToolButton *stopButton;
    Communication *communication;
    ComSet *comSet;
    DataQueryTime *dataQueryTime;
    MineTime *mineTime;
    HistoryData *historyData;
    // Not a QObject, so held here rather than by a Qt parent.
    std::unique_ptr<Database> database;
    QLabel *dateTimeLabel;
    QLabel *connectLabel;
    // Shown only while readings are not reaching the store.
    QLabel *storeLabel;
    // Why the chosen port could not be opened; empty when it was.
    QString portFailure;
    // The port the person chose; Start and the reopen timer open it again.
    QString chosenPort;
    // Why the link went down or came back; the loss stays named until a port opens.
    QLabel *linkLabel;
    bool portLost = false;
    // While a meter pulled during acquisition is awaited: tries its path again.
    QTimer *reopenTimer;
    QTimer *timerDateTime;
    QTimer *timerUpdate;
};

#endif
