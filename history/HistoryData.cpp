#include "history/HistoryData.h"

#include "history/HistoryExports.h"
#include "history/HistoryTableModel.h"
#include "history/ModelRows.h"
#include "meter/FunctionTable.h"
#include "plot/GapCurve.h"
#include "plot/Wave.h"
#include "store/RangeReader.h"
#include "store/ResultRows.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStringList>
#include <QTableView>
#include <QVBoxLayout>
#include <qwt_plot.h>

#include <charconv>
#include <cmath>
#include <utility>

namespace {
const qint64 SecondsPerHour = 3600;

// A value text read as a decimal number in the C locale, as QString's own
// reading does (blanks around it and a leading "+" allowed), without making
// a QString per row.
bool readNumber(const QByteArray &text, double *value)
{
    const char *begin = text.constData();
    const char *end = begin + text.size();
    while (begin < end && (*begin == ' ' || (*begin >= '\t' && *begin <= '\r')))
        ++begin;
    while (end > begin && (end[-1] == ' ' || (end[-1] >= '\t' && end[-1] <= '\r')))
        --end;
    if (begin < end && *begin == '+' && end - begin > 1 && begin[1] != '-')
        ++begin;
    const std::from_chars_result result = std::from_chars(begin, end, *value);
    return begin < end && result.ec == std::errc() && result.ptr == end;
}
}  // namespace

HistoryData::HistoryData(QWidget *parent)
    : QDialog(parent)
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

    splitter->addWidget(table);
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

    // The meter's numbers, except that the two temperature rows hold the
    // negative overload with its sign, as the stored value texts carry it.
    overloadTable = FunctionTable::overloadTable;
    for (int code : {FunctionTable::temperatureCelsius, FunctionTable::temperatureOther})
        overloadTable[code][1] = -overloadTable[code][1];
    plotLimitTable = FunctionTable::plotLimitTable;
    for (int code = 0; code < FunctionTable::functionNames.size(); ++code) {
        if (!functionCodes.contains(FunctionTable::functionNames.at(code)))
            functionCodes.insert(FunctionTable::functionNames.at(code), code);
    }

    reader = new RangeReader(this);
    reader->setBatchHook(
        [this](const StoredRows &rows, int from) { extendCurve(readCurve, rows, from); });
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
    // Before the members go: a running read's thread still fills readCurve.
    delete reader;
    delete readProgress;
}

int HistoryData::functionCode(const QString &functionText, const QString &unitText) const
{
    if (functionText == QLatin1String("TEMP"))
        return unitText == QString(QChar(0x2103)) ? FunctionTable::temperatureCelsius
                                                   : FunctionTable::temperatureOther;
    return functionCodes.value(functionText, 0);
}

double HistoryData::plotValue(int code, int range, const QByteArray &valueText) const
{
    if (valueText.contains('L')) {
        const QVector<double> &overloads = overloadTable.at(code);
        if (code == FunctionTable::temperatureCelsius || code == FunctionTable::temperatureOther)
            return overloads.at(valueText.contains('-') ? 1 : 0);
        // A negative overload lies as far below zero as the positive one
        // lies above it, as on the live plot.
        if (range >= 0 && range < overloads.size())
            return valueText.startsWith('-') ? -overloads.at(range) : overloads.at(range);
        // A range the function does not have: no overload value is known, so
        // the row is plotted at its value text like any other.
    }
    double value = 0;
    // "nan" and "inf" parse as numbers but would wreck the plot's scaling.
    return readNumber(valueText, &value) && std::isfinite(value) ? value : 0.0;
}

void HistoryData::applyYRange(int code, int range)
{
    const QVector<QPair<double, double>> &limits = plotLimitTable.at(code);
    if (range >= 0 && range < limits.size())
        wave->setYRange(limits.at(range).second, limits.at(range).first);
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
    const StoredRows rows = ResultRows::read(query, [&](int read) { progress->setValue(qMin(read, total)); });
    Curve curve;
    extendCurve(curve, rows, 0);
    showRows(rows, std::move(curve));
}

void HistoryData::extendCurve(Curve &curve, const StoredRows &rows, int from) const
{
    if (from == 0)
        curve = Curve();
    const int count = rows.size();
    if (from >= count)
        return;
    curve.xs.resize(count);
    curve.ys.resize(count);
    if (from == 0) {
        curve.offsetHour = StoredRows::noTime;
        curve.function = rows.functionIndex(0);
        curve.unit = rows.unitIndex(0);
        curve.code = functionCode(rows.function(0), rows.unit(0));
    }
    const qint64 originKey = rows.time(0);
    for (int row = from; row < count; ++row) {
        const qint64 key = rows.time(row);
        // The offset from clock time to seconds since the epoch, kept for
        // one clock hour: converting every row's local time costs a
        // time-zone lookup.
        if (key != StoredRows::noTime && key / SecondsPerHour != curve.offsetHour) {
            curve.offsetHour = key / SecondsPerHour;
            curve.offset = StoredRows::localTime(key).toMSecsSinceEpoch() / 1000 - key;
        }
        if (row == 0)
            curve.originSeconds = key + curve.offset;
        // Rows come in runs of one function and unit: look the code up only
        // when they change.
        if (rows.functionIndex(row) != curve.function || rows.unitIndex(row) != curve.unit) {
            curve.function = rows.functionIndex(row);
            curve.unit = rows.unitIndex(row);
            curve.code = functionCode(rows.function(row), rows.unit(row));
        }
        // Whole seconds from the origin, negative for earlier rows.
        curve.xs[row] = originKey != StoredRows::noTime && key != StoredRows::noTime
            ? double(key + curve.offset - curve.originSeconds)
            : 0.0;
        curve.ys[row] = plotValue(curve.code, rows.range(row), rows.valueUtf8(row));
    }
}

void HistoryData::showRows(StoredRows rows, Curve curve)
{
    if (rows.isEmpty())
        return;
    const qint64 originKey = rows.time(0);
    baseTime = StoredRows::localTime(originKey);
    wave->setTimeOrigin(baseTime);
    applyYRange(functionCode(rows.function(0), rows.unit(0)), rows.range(0));
    // A pan or zoom of an earlier result must not hide this one.
    wave->setAxisAutoScale(QwtPlot::xBottom);
    tableModel->setRows(std::move(rows));
    // Readings hours apart belong to different sessions: no line between.
    QVector<int> pieceStarts = GapCurve::gapStarts(curve.xs);
    wave->setPoints(std::move(curve.xs), std::move(curve.ys), std::move(pieceStarts));
    table->scrollToBottom();
}

bool HistoryData::queryRange(
    const Database::Settings &settings, const QDateTime &start, const QDateTime &stop)
{
    if (!reader->start(settings, start, stop))
        return false;
    readProgress = workProgress(tr("Waiting for the database server..."), 0, tr("Cancel")).release();
    connect(readProgress, &QProgressDialog::canceled, reader, &RangeReader::cancel);
    // At once: the server may work a while before the first row.
    readProgress->show();
    return true;
}

bool HistoryData::isQuerying() const
{
    return reader->isRunning();
}

void HistoryData::showReadProgress(int rows)
{
    if (readProgress && rows > 0)
        readProgress->setLabelText(tr("Reading the stored readings: %1").arg(QLocale().toString(rows)));
}

void HistoryData::finishQuery()
{
    delete readProgress;
    readProgress = nullptr;
    Curve curve = std::exchange(readCurve, Curve());
    switch (reader->state()) {
    case RangeReader::State::Finished:
        showRows(reader->takeRows(), std::move(curve));
        show();
        break;
    case RangeReader::State::Failed:
        QMessageBox::warning(this, tr("History record query"),
            tr("The stored readings could not be read: %1").arg(reader->errorString()), QMessageBox::Ok);
        break;
    default:
        // Cancelled: the window stays as it was.
        break;
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
