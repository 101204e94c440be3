#ifndef MAINWINDOWPROBE_H
#define MAINWINDOWPROBE_H

#include <QDateTime>
#include <QString>
#include <QStringList>

class QAction;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;
class QToolButton;
class QWidget;
class ComSet;
class DataQueryTime;
class HistoryData;
class MainWindow;
class MineTime;
class Widget;

// Finds the parts of a MainWindow the way a user sees them (by their texts
// and types) and works them as a user would: menu entries, dialog buttons,
// typed values. Texts are the untranslated ones.
class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow *window) : window(window) {}

    QToolButton *startButton() const;
    QToolButton *stopButton() const;
    QLabel *connectLabel() const;
    QLabel *clockLabel() const;
    // The status bar's "not stored" text while it is shown, else empty.
    QString storeNotice() const;
    // Whether a shown label of the status bar reads exactly this.
    bool statusShows(const QString &text) const;
    QAction *action(const QString &text) const;
    QTimer *samplingTimer() const;

    Widget *centralWidget() const;
    QTableWidget *liveTable() const;
    int livePlotPoints() const;
    QString panelFunction() const;
    bool rs232Lit() const;

    ComSet *comSet() const;
    MineTime *mineTime() const;
    DataQueryTime *dataQueryTime() const;
    HistoryData *historyData() const;

    // "Serial port": types the path into the port box and presses "OK".
    void choosePort(const QString &path) const;
    // "Time interval": manual interval of the given seconds, "OK" or "Cancel".
    void chooseInterval(int seconds, bool confirm) const;
    // "History record query" with the given range, "OK".
    void queryHistory(const QDateTime &start, const QDateTime &stop) const;

    // Rows of the history window's table, each as its four cell texts.
    QList<QStringList> historyRows() const;

    bool isRunning() const;
    bool isStopped() const;

    static QPushButton *button(QWidget *dialog, const QString &text);

private:
    MainWindow *window;
};

#endif
