#include "tests/app/MainWindowProbe.h"

#include "app/ComSet.h"
#include "app/MainWindow.h"
#include "app/MineTime.h"
#include "display/FuncLabel.h"
#include "display/StateLabel.h"
#include "display/Widget.h"
#include "history/DataQueryTime.h"
#include "history/HistoryData.h"
#include "plot/Wave.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <qwt_plot_curve.h>

namespace {
QStatusBar *statusBar(QMainWindow *window)
{
    return window->statusBar();
}

QToolButton *toolButton(MainWindow *window, const QString &text)
{
    const QList<QToolButton *> buttons = window->findChildren<QToolButton *>();
    for (QToolButton *button : buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}
}

QToolButton *MainWindowProbe::startButton() const
{
    return toolButton(window, QStringLiteral("Start"));
}

QToolButton *MainWindowProbe::stopButton() const
{
    return toolButton(window, QStringLiteral("Stop"));
}

QLabel *MainWindowProbe::connectLabel() const
{
    const QList<QLabel *> labels = statusBar(window)->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (label->text() == QLatin1String("Connected") || label->text() == QLatin1String("Disconnected")
            || label->text().startsWith(QLatin1String("Cannot open ")))
            return label;
    }
    return nullptr;
}

QLabel *MainWindowProbe::clockLabel() const
{
    // The clock is the status bar's label that is neither the link label
    // nor the store's notice.
    const QLabel *link = connectLabel();
    const QList<QLabel *> labels = statusBar(window)->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    for (QLabel *label : labels) {
        if (label != link && !label->isHidden() && !label->text().contains(QLatin1String("not stored")))
            return label;
    }
    return nullptr;
}

QString MainWindowProbe::storeNotice() const
{
    const QList<QLabel *> labels = statusBar(window)->findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        if (!label->isHidden() && label->text().contains(QLatin1String("not stored")))
            return label->text();
    }
    return QString();
}

bool MainWindowProbe::statusShows(const QString &text) const
{
    for (const QLabel *label : statusBar(window)->findChildren<QLabel *>()) {
        if (!label->isHidden() && label->text() == text)
            return true;
    }
    return false;
}

QAction *MainWindowProbe::action(const QString &text) const
{
    const QList<QAction *> actions = window->findChildren<QAction *>();
    for (QAction *action : actions) {
        if (QString(action->text()).remove(QLatin1Char('&')) == text)
            return action;
    }
    return nullptr;
}

QTimer *MainWindowProbe::samplingTimer() const
{
    // The window's own timers, in the order made: the clock, then sampling, then others.
    const QList<QTimer *> timers = window->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
    return timers.size() >= 2 ? timers.at(1) : nullptr;
}

Widget *MainWindowProbe::centralWidget() const
{
    return qobject_cast<Widget *>(window->centralWidget());
}

QTableWidget *MainWindowProbe::liveTable() const
{
    return centralWidget()->findChild<QTableWidget *>();
}

int MainWindowProbe::livePlotPoints() const
{
    const Wave *wave = centralWidget()->findChild<Wave *>();
    const QwtPlotItemList curves = wave->itemList(QwtPlotItem::Rtti_PlotCurve);
    return curves.isEmpty() ? -1 : int(static_cast<QwtPlotCurve *>(curves.first())->dataSize());
}

QString MainWindowProbe::panelFunction() const
{
    return centralWidget()->findChild<FuncLabel *>()->text();
}

bool MainWindowProbe::rs232Lit() const
{
    const QList<StateLabel *> labels = centralWidget()->findChildren<StateLabel *>();
    for (const StateLabel *label : labels) {
        if (label->text() == QLatin1String("RS232"))
            return label->styleSheet().contains(QLatin1String("rgb(0, 255, 0)"));
    }
    return false;
}

ComSet *MainWindowProbe::comSet() const
{
    return window->findChild<ComSet *>();
}

MineTime *MainWindowProbe::mineTime() const
{
    return window->findChild<MineTime *>();
}

DataQueryTime *MainWindowProbe::dataQueryTime() const
{
    return window->findChild<DataQueryTime *>();
}

HistoryData *MainWindowProbe::historyData() const
{
    return window->findChild<HistoryData *>();
}

QPushButton *MainWindowProbe::button(QWidget *dialog, const QString &text)
{
    const QList<QPushButton *> buttons = dialog->findChildren<QPushButton *>();
    for (QPushButton *button : buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

void MainWindowProbe::choosePort(const QString &path) const
{
    action(QStringLiteral("Serial port"))->trigger();
    QComboBox *box = comSet()->findChild<QComboBox *>();
    box->setEditText(path);
    button(comSet(), QStringLiteral("OK"))->click();
}

void MainWindowProbe::chooseInterval(int seconds, bool confirm) const
{
    action(QStringLiteral("Time interval"))->trigger();
    mineTime()->findChild<QCheckBox *>()->setChecked(false);
    mineTime()->findChild<QLineEdit *>()->setText(QString::number(seconds));
    button(mineTime(), confirm ? QStringLiteral("OK") : QStringLiteral("Cancel"))->click();
}

void MainWindowProbe::queryHistory(const QDateTime &start, const QDateTime &stop) const
{
    action(QStringLiteral("History record query"))->trigger();
    // Start editor first, stop editor second, as the dialog lays them out.
    const QList<QDateTimeEdit *> edits = dataQueryTime()->findChildren<QDateTimeEdit *>();
    edits.at(0)->setDateTime(start);
    edits.at(1)->setDateTime(stop);
    // The window reads the range in the background: wait for its end.
    QSignalSpy done(historyData(), &HistoryData::signal_queryFinished);
    button(dataQueryTime(), QStringLiteral("OK"))->click();
    if (historyData()->isQuerying())
        done.wait(60000);
}

QList<QStringList> MainWindowProbe::historyRows() const
{
    QList<QStringList> rows;
    const QAbstractItemModel *model = historyData()->tableView()->model();
    if (!model)
        return rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells;
    }
    return rows;
}

bool MainWindowProbe::isRunning() const
{
    return !startButton()->isEnabled() && stopButton()->isEnabled()
        && connectLabel()->text() == QLatin1String("Connected")
        && !action(QStringLiteral("Serial port"))->isEnabled()
        && !action(QStringLiteral("Time interval"))->isEnabled();
}

bool MainWindowProbe::isStopped() const
{
    return startButton()->isEnabled() && !stopButton()->isEnabled()
        && connectLabel()->text() == QLatin1String("Disconnected")
        && action(QStringLiteral("Serial port"))->isEnabled()
        && action(QStringLiteral("Time interval"))->isEnabled();
}
