#include "history/HistoryData.h"

#include "history/HistoryExports.h"
#include "history/HistoryTableModel.h"
#include "history/ModelRows.h"
#include "history/StoredPoints.h"
#include "meter/StoredReading.h"
#include "plot/SummarySeries.h"
#include "plot/Wave.h"
#include "store/RangeReader.h"
#include "store/ResultRows.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStringList>
#include <QTableView>
#include <QVBoxLayout>
#include <qwt_plot.h>

#include <utility>

namespace {
// A growing table and plot take new rows at most this often: each time
// costs the table's header and the plot's redraw some work for every row.
const int GrowMs = 250;

}  // namespace

HistoryData::HistoryData(QWidget *parent)
    : QDialog(parent)
    , points(new StoredPoints())
{
    setWindowTitle(tr("history viewing"));
    setWindowFlags(Qt::Dialog | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
        | Qt::WindowCloseButtonHint);

    const QStringList headers = {tr("Time"), tr("Data"), tr("Unit"), tr("Func")};
    // A view over compact rows: a widget item per cell would cost far too
    // much time and memory at a million rows.
    table = new QTableView();
    tableModel = new HistoryTableModel(headers, this);
    table->setModel(tableModel);
    // The time always whole; the other columns as wide as the user drags
    // them, the last one filling what is left.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    // Tab leaves the table for the buttons.
    table->setTabKeyNavigation(false);
    // Ten million rows scroll smoothly only when no row's height is ever
    // measured.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    wave = new Wave();
    wave->setAccessibleName(tr("History plot"));
    excelButton = new QPushButton(tr("Out excel"));
    txtButton = new QPushButton(tr("Out txt"));
    printButton = new QPushButton(tr("Print"));

    splitter = new QSplitter(Qt::Horizontal, this);
    rightPanel = new QWidget();
    outerLayout = new QHBoxLayout();
    buttonRow = new QHBoxLayout();
    rightLayout = new QVBoxLayout();

    // As wide as their texts need, so the table keeps most of a small screen.
    const QList<QPair<QPushButton *, QKeySequence>> buttons{{excelButton, QKeySequence(Qt::CTRL | Qt::Key_E)},
        {txtButton, QKeySequence(Qt::CTRL | Qt::Key_T)}, {printButton, QKeySequence(QKeySequence::Print)}};
    for (const auto &button : buttons) {
        button.first->setMinimumHeight(40);
        button.first->setShortcut(button.second);
        button.first->setToolTip(button.second.toString(QKeySequence::NativeText));
        buttonRow->addWidget(button.first);
    }
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this, this, &QWidget::close);
    rightLayout->addLayout(buttonRow);
    rightLayout->addWidget(wave);
    rightPanel->setLayout(rightLayout);

    splitter->addWidget(readPanel(table));
    splitter->addWidget(rightPanel);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    // The same three to one from the start, not only for space beyond the
    // panels' wishes: the plot would otherwise take half the window.
    splitter->setSizes({3000, 1000});
    outerLayout->addWidget(splitter);
    setLayout(outerLayout);

    const QRect desktop = QApplication::desktop()->geometry();
    resize(int(desktop.width() * 0.8), int(desktop.height() * 0.8));

    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);

    reader = new RangeReader(this);
    connect(reader, &RangeReader::rowsReady, this, &HistoryData::takeReadRows);
    connect(cancelButton, &QPushButton::clicked, reader, &RangeReader::cancel);
    connect(reader, &RangeReader::progress, this, &HistoryData::showReadProgress);
    connect(reader, &RangeReader::finished, this, &HistoryData::finishQuery);

    exports = new HistoryExports(std::make_unique<ModelRows>(tableModel), table, this);
    connect(exports, &HistoryExports::printed, this, [this](bool accepted) {
        printButton->setEnabled(true);
        emit signal_printed(accepted);
    });

    connect(excelButton, &QPushButton::clicked, this, &HistoryData::slot_excel);
    connect(txtButton, &QPushButton::clicked, this, &HistoryData::slot_txt);
    connect(printButton, &QPushButton::clicked, this, &HistoryData::slot_print);
}

HistoryData::~HistoryData()
{
    // Before the window is half gone: a pending print is handed over first.
    delete exports;
    // Its thread next; then the plot's series, which reads points, which
    // go before the plot.
    delete reader;
    reader = nullptr;
    wave->clearCurve();
}

QWidget *HistoryData::readPanel(QWidget *below)
{
    readLine = new QLabel();
    readProgress = new QProgressBar();
    readProgress->setTextVisible(false);
    cancelButton = new QPushButton(tr("Cancel"));
    auto *line = new QHBoxLayout();
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(readLine, 1);
    line->addWidget(readProgress);
    line->addWidget(cancelButton);
    auto *column = new QVBoxLayout();
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(line);
    column->addWidget(below);
    auto *panel = new QWidget();
    panel->setLayout(column);
    readProgress->hide();
    cancelButton->hide();
    return panel;
}

void HistoryData::applyYRange(int code, int range)
{
    double lower = 0;
    double upper = 0;
    if (StoredReading::plotLimits(code, range, &lower, &upper))
        wave->setYRange(lower, upper);
    else
        wave->setAxisAutoScale(QwtPlot::yLeft);
}

void HistoryData::setModel(QSqlQueryModel *model)
{
    if (!model || model->rowCount() == 0)
        return;
    // Read the result itself, not the model's cells: it holds every row,
    // also those the model has not fetched yet, and skips a seek per cell.
    QSqlQuery query = model->query();
    if (!query.seek(0))
        return;
    const int total = query.size() > 0 ? query.size() : model->rowCount();
    const std::unique_ptr<QProgressDialog> progress
        = workProgress(tr("Loading the stored readings..."), total, QString());
    showRows(ResultRows::read(query, [&](int read) { progress->setValue(qMin(read, total)); }));
    table->scrollToBottom();
}

void HistoryData::showRows(StoredRows rows)
{
    if (rows.isEmpty())
        return;
    tableModel->setRows(std::move(rows));
    const StoredRows &shown = tableModel->rows();
    // A new series over the new rows; the plot drops the old one.
    points->reset(&shown);
    points->extend();
    series = new SummarySeries(points.get());
    series->grow(points->pieceStarts());
    baseTime = points->origin();
    wave->setTimeOrigin(baseTime);
    applyYRange(points->code(0), shown.range(0));
    // A pan or zoom of an earlier result must not hide this one.
    wave->setAxisAutoScale(QwtPlot::xBottom);
    wave->setSeries(series);
}

void HistoryData::addRows(StoredRows rows)
{
    if (rows.isEmpty())
        return;
    tableModel->appendRows(std::move(rows));
    points->extend();
    series->grow(points->pieceStarts());
    wave->replot();
}

bool HistoryData::queryRange(
    const Database::Settings &settings, const QDateTime &start, const QDateTime &stop)
{
    if (!reader->start(settings, start, stop))
        return false;
    readStart = start;
    readStop = stop;
    readReplaced = false;
    hiddenBeforeRead = !isVisible();
    readLine->setText(tr("Waiting for the database server..."));
    // A busy bar until the first rows tell how far the range is read.
    readProgress->setRange(0, 0);
    readProgress->show();
    cancelButton->show();
    show();
    return true;
}

bool HistoryData::isQuerying() const
{
    return reader->isRunning();
}

QString HistoryData::readText() const
{
    return readLine->text();
}

void HistoryData::hideEvent(QHideEvent *event)
{
    // Nobody looks at a closed window: its read stops, what it read stays.
    // A window minimised with the desktop's own means reads on.
    if (reader && !event->spontaneous())
        reader->cancel();
    QDialog::hideEvent(event);
}

void HistoryData::takeReadRows()
{
    readRows.append(reader->takeRows());
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (readRows.isEmpty() || (reader->isRunning() && readReplaced && now - lastGrowth < GrowMs))
        return;
    lastGrowth = now;
    if (readReplaced) {
        addRows(std::exchange(readRows, StoredRows()));
    } else {
        readReplaced = true;
        showRows(std::exchange(readRows, StoredRows()));
    }
}

void HistoryData::showReadProgress(int rows)
{
    const StoredRows &shown = tableModel->rows();
    if (!readReplaced || rows == 0 || shown.isEmpty())
        return;
    readLine->setText(tr("Reading the stored readings: %1").arg(QLocale().toString(rows)));
    // Rows come in recorded order, which is nearly time order: the time of
    // the last one tells how far into the range the read is.
    const qint64 first = StoredRows::timeKey(readStart);
    const qint64 span = StoredRows::timeKey(readStop) - first;
    const qint64 last = shown.time(shown.size() - 1);
    readProgress->setRange(0, 1000);
    if (span > 0 && last != StoredRows::noTime)
        readProgress->setValue(int(qBound<qint64>(0, (last - first) * 1000 / span, 1000)));
}

void HistoryData::finishQuery()
{
    takeReadRows();
    readProgress->hide();
    cancelButton->hide();
    const QString count = QLocale().toString(tableModel->rowCount());
    QString outcome;
    switch (reader->state()) {
    case RangeReader::State::Finished:
        if (readReplaced) {
            outcome = tr("%1 readings").arg(count);
            wave->replot();
            table->scrollToBottom();
        } else {
            outcome = tr("No readings in this range");
        }
        break;
    case RangeReader::State::Failed:
        outcome = tr("the stored readings could not be read");
        break;
    default:
        outcome = readReplaced ? tr("%1 readings, the read was cancelled").arg(count)
                               : tr("the read was cancelled");
        wave->replot();
        break;
    }
    const QLatin1String format(StoredReading::timeFormat);
    readLine->setText(tr("%1 to %2: %3").arg(readStart.toString(format), readStop.toString(format), outcome));
    if (reader->state() == RangeReader::State::Failed) {
        QMessageBox::warning(this, tr("History record query"),
            tr("The stored readings could not be read: %1").arg(reader->errorString()), QMessageBox::Ok);
        // Nothing read: the window goes back to how it was.
        if (!readReplaced && hiddenBeforeRead)
            hide();
    }
    emit signal_queryFinished();
}

std::unique_ptr<QProgressDialog> HistoryData::workProgress(
    const QString &label, int maximum, const QString &cancelText)
{
    // Over the window when it is shown, else over the main window. A
    // maximum of 0 shows a busy bar; without a cancel text, no button.
    auto progress = std::make_unique<QProgressDialog>(
        label, cancelText, 0, maximum, isVisible() ? this : parentWidget());
    progress->setWindowModality(Qt::ApplicationModal);
    // Work done within half a second shows no dialog.
    progress->setMinimumDuration(500);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setValue(0);
    return progress;
}

void HistoryData::slot_excel()
{
    exportExcel(tr("Data Record"));
}

void HistoryData::slot_txt()
{
    exportText();
}

void HistoryData::slot_print()
{
    printTable();
}

bool HistoryData::exportText()
{
    return exports->exportText();
}

bool HistoryData::exportExcel(const QString &title)
{
    return exports->exportExcel(title);
}

bool HistoryData::writeWorkbook(const QString &path, const QString &title)
{
    return exports->writeWorkbook(path, title);
}

bool HistoryData::printTable()
{
    const bool started = exports->printTable();
    // One print at a time: the button comes back with lp's answer.
    printButton->setEnabled(!started);
    return started;
}

void HistoryData::setPrintTimeout(int milliseconds)
{
    exports->setPrintTimeout(milliseconds);
}

bool HistoryData::printFile(const QString &path)
{
    return exports->printFile(path);
}

QString HistoryData::printWorkbookPath()
{
    return HistoryExports::printWorkbookPath();
}
