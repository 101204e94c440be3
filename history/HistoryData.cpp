#include "history/HistoryData.h"

#include "history/HistoryTableModel.h"
#include "history/StoredPoints.h"
#include "history/TablePrinter.h"
#include "history/TextExport.h"
#include "history/XlsxWorkbook.h"
#include "meter/StoredReading.h"
#include "plot/SummarySeries.h"
#include "plot/Wave.h"
#include "store/RangeReader.h"
#include "store/ResultRows.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDesktopWidget>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStandardPaths>
#include <QStringList>
#include <QTableView>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <qwt_plot.h>

#include <utility>

namespace {
// A growing table and plot take new rows at most this often: each time
// costs the table's header and the plot's redraw some work for every row.
const int GrowMs = 250;

QVector<int> columnWidths(const QTableView *view)
{
    QVector<int> widths;
    for (int column = 0; column < view->model()->columnCount(); ++column)
        widths.append(view->columnWidth(column));
    return widths;
}

// A box with one button "OK", run modally without parent.
void tellUser(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(HistoryData::tr("OK"));
    box.exec();
}

}  // namespace

HistoryData::HistoryData(QWidget *parent)
    : QDialog(parent)
    , points(new StoredPoints())
    , printTimeoutMs(TablePrinter::submitTimeoutMs)
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
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Ten million rows scroll smoothly only when no row's height is ever
    // measured.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    wave = new Wave();
    excelButton = new QPushButton(tr("Out excel"));
    txtButton = new QPushButton(tr("Out txt"));
    printButton = new QPushButton(tr("Print"));

    splitter = new QSplitter(Qt::Horizontal, this);
    rightPanel = new QWidget();
    outerLayout = new QHBoxLayout();
    buttonRow = new QHBoxLayout();
    rightLayout = new QVBoxLayout();

    for (QPushButton *button : {excelButton, txtButton, printButton}) {
        button->setFixedSize(163, 40);
        buttonRow->addWidget(button);
    }
    rightLayout->addLayout(buttonRow);
    rightLayout->addWidget(wave);
    rightPanel->setLayout(rightLayout);

    splitter->addWidget(readPanel(table));
    splitter->addWidget(rightPanel);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
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

    connect(excelButton, &QPushButton::clicked, this, &HistoryData::slot_excel);
    connect(txtButton, &QPushButton::clicked, this, &HistoryData::slot_txt);
    connect(printButton, &QPushButton::clicked, this, &HistoryData::slot_print);
}

HistoryData::~HistoryData()
{
    // Its thread first; then the plot's series, which reads points, which
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
        showFailure(Work::Query, reader->errorString());
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

void HistoryData::showFailure(Work work, const QString &detail)
{
    switch (work) {
    case Work::Query:
        QMessageBox::warning(this, tr("History record query"),
            tr("The stored readings could not be read: %1").arg(detail), QMessageBox::Ok);
        break;
    case Work::TextOpen:
        QMessageBox::warning(this, tr("Read File"), tr("Cannot open file") + detail, QMessageBox::Ok);
        break;
    case Work::TextWrite:
        QMessageBox::warning(this, tr("Error"), detail, QMessageBox::Ok);
        break;
    case Work::Workbook:
        QMessageBox::about(this, tr("Error"), detail);
        break;
    case Work::NoPrinter:
        QMessageBox::warning(this, tr("Print"),
            tr("No default printer is set. The table was saved in %1.").arg(detail), QMessageBox::Ok);
        break;
    case Work::Print:
        QMessageBox::warning(
            this, tr("Print"), tr("The table could not be printed: %1").arg(detail), QMessageBox::Ok);
        break;
    }
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
    // The program's own folder is not writable once installed.
    const QString name = QFileDialog::getSaveFileName(this, tr("Save"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), tr("Txt(*.txt)"));
    if (name.isEmpty())
        return false;
    const int rows = table->model()->rowCount();
    std::unique_ptr<QProgressDialog> progress = workProgress(
        tr("Writing %1...").arg(QDir::toNativeSeparators(name)), rows, tr("Cancel"));
    TextExport exporter(table->model());
    exporter.setProgress([&progress](int written, int) {
        progress->setValue(written);
        return !progress->wasCanceled();
    });
    if (!exporter.write(name)) {
        if (exporter.failure() == TextExport::Failure::Open)
            showFailure(Work::TextOpen, name);
        else if (exporter.failure() == TextExport::Failure::Write)
            showFailure(Work::TextWrite,
                tr("The file %1 could not be written: %2")
                    .arg(QDir::toNativeSeparators(name), exporter.errorString()));
        return false;
    }
    progress.reset();
    tellUser(QMessageBox::Warning, tr("Prompt"), tr("Save successed"));
    return true;
}

bool HistoryData::exportExcel(const QString &title)
{
    QString name = QFileDialog::getSaveFileName(this, tr("Save"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), tr("Excel(*.xls *.xlsx)"));
    if (name.isEmpty())
        return false;
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix != QLatin1String("xls") && suffix != QLatin1String("xlsx")) {
        name += QLatin1String(".xlsx");
        // The dialog asked about the typed name only.
        if (QFileInfo::exists(name)) {
            QMessageBox replace(QMessageBox::Question, tr("Save"),
                tr("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(name)),
                QMessageBox::Yes | QMessageBox::No, this);
            replace.button(QMessageBox::Yes)->setText(tr("Yes"));
            replace.button(QMessageBox::No)->setText(tr("No"));
            replace.setDefaultButton(QMessageBox::No);
            if (replace.exec() != QMessageBox::Yes)
                return false;
        }
    }
    if (!writeWorkbook(name, title)) {
        showFailure(Work::Workbook, exportError);
        return false;
    }
    QMessageBox question(QMessageBox::Question, tr("completed"),
        tr("The file has been exported, is it open now?"), QMessageBox::Ok | QMessageBox::No);
    question.button(QMessageBox::Ok)->setText(tr("OK"));
    question.button(QMessageBox::No)->setText(tr("Cancel"));
    if (question.exec() == QMessageBox::Ok)
        QDesktopServices::openUrl(QUrl::fromLocalFile(name));
    return true;
}

bool HistoryData::writeWorkbook(const QString &path, const QString &title)
{
    // The last step is the packing of the file after the rows.
    const std::unique_ptr<QProgressDialog> progress = workProgress(
        tr("Writing %1...").arg(QDir::toNativeSeparators(path)), table->model()->rowCount() + 1, QString());
    XlsxWorkbook workbook(table->model(), columnWidths(table));
    workbook.setProgress([&progress](int written, int) { progress->setValue(written); });
    if (!workbook.write(QDir::toNativeSeparators(path), title)) {
        exportError = workbook.errorString();
        return false;
    }
    exportError.clear();
    return true;
}

QString HistoryData::printWorkbookPath()
{
    const QString name = QStringLiteral("111.xlsx");
    const QString programDirectory = QCoreApplication::applicationDirPath();
    if (QFileInfo(programDirectory).isWritable())
        return programDirectory + QLatin1Char('/') + name;
    const QString dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataDirectory);
    return dataDirectory + QLatin1Char('/') + name;
}

bool HistoryData::printTable()
{
    const QString title = tr("Data Record");
    const QString path = printWorkbookPath();
    if (!writeWorkbook(path, title)) {
        showFailure(Work::Workbook, exportError);
        return false;
    }
    const QString printerName = TablePrinter::defaultPrinterName();
    if (printerName.isEmpty()) {
        showFailure(Work::NoPrinter, QDir::toNativeSeparators(path));
        return false;
    }
    // The print system takes pages, not workbooks: the same table is laid
    // out for the default printer's paper and queued as PDF. The pages stay
    // until lp has answered.
    auto pages = std::make_unique<QTemporaryFile>(
        QDir::temp().filePath(QStringLiteral("quorvane-print-XXXXXX.pdf")));
    TablePrinter printer(table->model(), columnWidths(table));
    QProcess *lp = nullptr;
    if (!pages->open()) {
        exportError = pages->errorString();
    } else {
        pages->close();
        const std::unique_ptr<QProgressDialog> progress
            = workProgress(tr("Laying out the pages..."), table->model()->rowCount(), QString());
        printer.setProgress([&progress](int laidOut, int) { progress->setValue(laidOut); });
        if (!printer.writePdf(pages->fileName(), title, TablePrinter::defaultPrinterPageLayout()))
            exportError = printer.errorString();
        else
            lp = TablePrinter::startSubmit(printerName, pages->fileName(), title, this, &exportError);
    }
    if (!lp) {
        pages.reset();
        showFailure(Work::Print, exportError);
        return false;
    }
    pages.release()->setParent(lp);
    // The window keeps working while the print system answers.
    QTimer *deadline = new QTimer(lp);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, lp, &QProcess::kill);
    connect(lp, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
        [this, lp, deadline, printerName] { finishPrint(lp, deadline->isActive(), printerName); });
    deadline->start(printTimeoutMs);
    printButton->setEnabled(false);
    return true;
}

void HistoryData::finishPrint(QProcess *lp, bool answered, const QString &printerName)
{
    lp->deleteLater();
    printButton->setEnabled(true);
    QString job;
    const bool printed = answered && TablePrinter::accepted(lp, printerName, &job, &exportError);
    if (!answered)
        exportError = tr("The print system did not answer within a minute.");
    if (printed)
        tellUser(QMessageBox::Question, tr("completed"), tr("Print successed"));
    else
        showFailure(Work::Print, exportError);
    emit signal_printed(printed);
}

void HistoryData::setPrintTimeout(int milliseconds)
{
    printTimeoutMs = milliseconds;
}

bool HistoryData::printFile(const QString &path)
{
    const QString printer = TablePrinter::defaultPrinterName();
    if (printer.isEmpty()) {
        exportError = tr("No default printer is set.");
        return false;
    }
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        exportError = tr("There is no file %1 to print.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    exportError.clear();
    QString job;
    return TablePrinter::submit(printer, path, QFileInfo(path).fileName(), &job, &exportError);
}
