#include "history/HistoryData.h"

#include "history/HistoryTableModel.h"
#include "history/TablePrinter.h"
#include "history/TextExport.h"
#include "history/XlsxWorkbook.h"
#include "plot/GapCurve.h"
#include "plot/Wave.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDesktopWidget>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QProgressDialog>
#include <QProcess>
#include <QPushButton>
#include <QSplitter>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QSqlResult>
#include <QStandardPaths>
#include <QStringList>
#include <QTableView>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <qwt_plot.h>

#include <libpq-fe.h>

#include <cmath>
#include <utility>

namespace {
const int TemperatureCelsius = 10;
const int TemperatureOther = 11;
// Rows between two progress updates: often enough to keep the window alive,
// rarely enough that event processing costs nothing measurable.
const int ProgressStep = 4096;
// PostgreSQL's type "timestamp without time zone".
const Oid TimestampType = 1114;
const qint64 SecondsPerDay = 86400;

struct Columns
{
    int function;
    int value;
    int unit;
    int range;
    int time;
};

struct StoredRow
{
    QString function;
    QString value;
    QString unit;
    int range = 0;
    qint64 time = StoredRows::noTime;  // a StoredRows::timeKey()
};

QDateTime localTime(qint64 key)
{
    return QDateTime(QDate::fromJulianDay(key / SecondsPerDay),
        QTime::fromMSecsSinceStartOfDay(int(key % SecondsPerDay) * 1000));
}

int digits(const char *text, int count)
{
    int number = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        number = number * 10 + (text[i] - '0');
    }
    return number;
}

// The server's text of a timestamp, "yyyy-MM-dd hh:mm:ss" with perhaps a
// fraction, read without building a date-time in the local zone. Anything
// else (other years, "infinity") goes the way the driver reads it.
qint64 timestampKey(const char *text, int length)
{
    if (length >= 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':'
        && text[16] == ':' && (length == 19 || text[19] == '.')) {
        const QDate date(digits(text, 4), digits(text + 5, 2), digits(text + 8, 2));
        const int hour = digits(text + 11, 2);
        const int minute = digits(text + 14, 2);
        const int second = digits(text + 17, 2);
        if (date.isValid() && QTime::isValid(hour, minute, second, 0))
            return date.toJulianDay() * SecondsPerDay + hour * 3600 + minute * 60 + second;
    }
    return StoredRows::timeKey(
        QDateTime::fromString(QString::fromLatin1(text, length), Qt::ISODate));
}

// With the PostgreSQL driver the whole result sits in libpq's result set,
// its texts in UTF-8 (the encoding the driver asks for). Reading them
// directly skips a variant per cell and a local date-time per row, which
// is most of the time a million rows take. False when the query holds no
// such result or the time column is not a plain timestamp.
template <typename Take>
bool readPostgresResult(const QSqlQuery &query, const Columns &columns, Take take)
{
    const QVariant handle = query.result()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGresult*") != 0 || query.isForwardOnly())
        return false;
    const PGresult *result = *static_cast<PGresult *const *>(handle.constData());
    if (!result || PQntuples(result) != query.size() || columns.function < 0 || columns.value < 0
        || columns.unit < 0 || columns.range < 0 || columns.time < 0
        || PQftype(result, columns.time) != TimestampType)
        return false;
    const auto text = [result](int row, int column) {
        return QString::fromUtf8(PQgetvalue(result, row, column), PQgetlength(result, row, column));
    };
    StoredRow row;
    const int count = PQntuples(result);
    for (int i = 0; i < count; ++i) {
        row.function = text(i, columns.function);
        row.value = text(i, columns.value);
        row.unit = text(i, columns.unit);
        row.range = QByteArray::fromRawData(
            PQgetvalue(result, i, columns.range), PQgetlength(result, i, columns.range))
                        .toInt();
        row.time = PQgetisnull(result, i, columns.time)
            ? StoredRows::noTime
            : timestampKey(
                PQgetvalue(result, i, columns.time), PQgetlength(result, i, columns.time));
        take(row);
    }
    return true;
}

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

// Any other result, through the driver's values; the query stands on row 0.
template <typename Take> void readQuery(QSqlQuery &query, const Columns &columns, Take take)
{
    StoredRow row;
    do {
        row.function = query.value(columns.function).toString();
        row.value = query.value(columns.value).toString();
        row.unit = query.value(columns.unit).toString();
        row.range = query.value(columns.range).toInt();
        row.time = StoredRows::timeKey(query.value(columns.time).toDateTime());
        take(row);
    } while (query.next());
}
}  // namespace

HistoryData::HistoryData(QWidget *parent)
    : QDialog(parent)
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

    splitter->addWidget(table);
    splitter->addWidget(rightPanel);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    outerLayout->addWidget(splitter);
    setLayout(outerLayout);

    const QRect desktop = QApplication::desktop()->geometry();
    resize(int(desktop.width() * 0.8), int(desktop.height() * 0.8));

    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // By function code; the two temperature rows hold the positive and the
    // negative overload, signed as the stored value texts are.
    overloadTable = {
        {230},
        {230},
        {2.3, 23, 230, 1100},
        {2.3, 23, 230, 760},
        {230, 2.3, 23, 230, 2.3, 23, 230},
        {2.6},
        {230},
        {23, 230, 2.3, 23, 230, 2.3, 23, 230},
        {23, 230, 0, 23, 230, 2.3, 23, 60},
        {100},
        {1100, -22},
        {1850, -5},
        {230, 2300},
        {230, 2300},
        {23, 230},
        {23, 230},
        {11},
        {11},
    };
    // (upper, lower) by function code and range number.
    plotLimitTable = {
        {{240, -240}},
        {{240, -240}},
        {{2.4, -2.4}, {24, -24}, {240, -240}, {1110, -1110}},
        {{2.4, 0}, {24, 0}, {240, 0}, {770, 0}},
        {{240, 0}, {2.4, 0}, {24, 0}, {240, 0}, {2.4, 0}, {24, 0}, {240, 0}},
        {{3, 0}},
        {{240, 0}},
        {{24, 0}, {240, 0}, {2.4, 0}, {24, 0}, {240, 0}, {2.4, 0}, {24, 0}, {240, 0}},
        {{24, 0}, {240, 0}, {0, 0}, {24, 0}, {240, 0}, {2.4, 0}, {24, 0}, {70, 0}},
        {{110, 0}},
        {{1110, -25}},
        {{1900, -10}},
        {{240, -240}, {2400, -2400}},
        {{240, 0}, {2400, 0}},
        {{24, -24}, {240, -240}},
        {{24, 0}, {240, 0}},
        {{12, -12}},
        {{12, 0}},
    };
    const QStringList functionTexts = {
        QStringLiteral("DCmV"),
        QStringLiteral("ACmV"),
        QStringLiteral("DCV"),
        QStringLiteral("ACV"),
        QStringLiteral("OHM"),
        QStringLiteral("DIODE"),
        QStringLiteral("BEEP"),
        QStringLiteral("CAP"),
        QStringLiteral("FREQ"),
        QStringLiteral("DUTY"),
        QStringLiteral("TEMP"),
        QStringLiteral("TEMP"),
        QStringLiteral("DCuA"),
        QStringLiteral("ACuA"),
        QStringLiteral("DCmA"),
        QStringLiteral("ACmA"),
        QStringLiteral("DCA"),
        QStringLiteral("ACA"),
    };
    for (int code = 0; code < functionTexts.size(); ++code) {
        if (!functionCodes.contains(functionTexts.at(code)))
            functionCodes.insert(functionTexts.at(code), code);
    }

    connect(excelButton, &QPushButton::clicked, this, &HistoryData::slot_excel);
    connect(txtButton, &QPushButton::clicked, this, &HistoryData::slot_txt);
    connect(printButton, &QPushButton::clicked, this, &HistoryData::slot_print);
}

HistoryData::~HistoryData() = default;

int HistoryData::functionCode(const QString &functionText, const QString &unitText) const
{
    if (functionText == QLatin1String("TEMP"))
        return unitText == QString(QChar(0x2103)) ? TemperatureCelsius : TemperatureOther;
    return functionCodes.value(functionText, 0);
}

double HistoryData::plotValue(int code, int range, const QString &valueText) const
{
    if (valueText.contains(QLatin1Char('L'))) {
        const QVector<double> &overloads = overloadTable.at(code);
        if (code == TemperatureCelsius || code == TemperatureOther)
            return overloads.at(valueText.contains(QLatin1Char('-')) ? 1 : 0);
        // A negative overload lies as far below zero as the positive one
        // lies above it, as on the live plot.
        if (range >= 0 && range < overloads.size())
            return valueText.startsWith(QLatin1Char('-')) ? -overloads.at(range) : overloads.at(range);
        // A range the function does not have: no overload value is known, so
        // the row is plotted at its value text like any other.
    }
    bool ok = false;
    const double value = valueText.toDouble(&ok);
    // "nan" and "inf" parse as numbers but would wreck the plot's scaling.
    return ok && std::isfinite(value) ? value : 0.0;
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
    const QSqlRecord record = query.record();
    const Columns columns = {record.indexOf(QStringLiteral("funcstr")),
        record.indexOf(QStringLiteral("datavaluestr")), record.indexOf(QStringLiteral("unitstr")),
        record.indexOf(QStringLiteral("frastr")), record.indexOf(QStringLiteral("create_time"))};
    const int total = query.size() > 0 ? query.size() : model->rowCount();

    // Shows itself only when the rows take longer than half a second.
    QProgressDialog progress(tr("Loading the stored readings..."), QString(), 0, total,
        isVisible() ? this : parentWidget());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);

    StoredRows rows;
    rows.reserve(total);
    QVector<double> xs;
    QVector<double> ys;
    xs.reserve(total);
    ys.reserve(total);
    qint64 originKey = StoredRows::noTime;
    qint64 originSeconds = 0;
    int firstCode = 0;
    int firstRange = 0;
    QString lastFunction;
    QString lastUnit;
    int lastCode = 0;
    // The offset from clock time to seconds since the epoch, kept for one
    // clock hour: converting every row's local time costs a time-zone lookup.
    qint64 offsetHour = StoredRows::noTime;
    qint64 offset = 0;

    const auto take = [&](const StoredRow &row) {
        const qint64 key = row.time;
        if (key != StoredRows::noTime && key / 3600 != offsetHour) {
            offsetHour = key / 3600;
            offset = localTime(key).toMSecsSinceEpoch() / 1000 - key;
        }
        // Rows come in runs of one function and unit: look the code up
        // only when they change.
        if (xs.isEmpty() || row.function != lastFunction || row.unit != lastUnit) {
            lastFunction = row.function;
            lastUnit = row.unit;
            lastCode = functionCode(row.function, row.unit);
        }
        if (xs.isEmpty()) {
            originKey = key;
            originSeconds = key + offset;
            firstCode = lastCode;
            firstRange = row.range;
        }
        // Whole seconds from the origin, negative for earlier rows.
        xs.append(originKey != StoredRows::noTime && key != StoredRows::noTime
                ? double(key + offset - originSeconds)
                : 0.0);
        ys.append(plotValue(lastCode, row.range, row.value));
        rows.append(key, row.value, row.unit, row.function, row.range);

        // Being modal, the progress dialog processes pending events itself.
        if (xs.size() % ProgressStep == 0)
            progress.setValue(qMin(xs.size(), total));
    };
    if (!readPostgresResult(query, columns, take))
        readQuery(query, columns, take);

    baseTime = originKey == StoredRows::noTime ? QDateTime() : localTime(originKey);
    wave->setTimeOrigin(baseTime);
    applyYRange(firstCode, firstRange);
    // A pan or zoom of an earlier result must not hide this one.
    wave->setAxisAutoScale(QwtPlot::xBottom);
    tableModel->setRows(std::move(rows));
    // Readings hours apart belong to different sessions: no line between.
    QVector<int> pieceStarts = GapCurve::gapStarts(xs);
    wave->setPoints(std::move(xs), std::move(ys), std::move(pieceStarts));
    table->scrollToBottom();
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
    TextExport exporter(table->model());
    if (!exporter.write(name)) {
        if (exporter.failure() == TextExport::Failure::Open)
            QMessageBox::warning(this, tr("Read File"), tr("Cannot open file") + name, QMessageBox::Ok);
        else
            QMessageBox::warning(this, tr("Error"),
                tr("The file %1 could not be written: %2")
                    .arg(QDir::toNativeSeparators(name), exporter.errorString()),
                QMessageBox::Ok);
        return false;
    }
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
        QMessageBox::about(this, tr("Error"), exportError);
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
    const int rows = table->model()->rowCount();
    // Shows itself only when writing takes longer than half a second; the
    // last step is the packing of the file after the rows.
    QProgressDialog progress(tr("Writing %1...").arg(QDir::toNativeSeparators(path)), QString(), 0,
        rows + 1, isVisible() ? this : parentWidget());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);

    XlsxWorkbook workbook(table->model(), columnWidths(table));
    workbook.setProgress([&progress](int written, int) { progress.setValue(written); });
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
        QMessageBox::about(this, tr("Error"), exportError);
        return false;
    }
    if (TablePrinter::defaultPrinterName().isEmpty()) {
        QMessageBox::warning(this, tr("Print"),
            tr("No default printer is set. The table was saved in %1.").arg(QDir::toNativeSeparators(path)),
            QMessageBox::Ok);
        return false;
    }
    // The print system takes pages, not workbooks: the same table is laid
    // out for the default printer's paper and queued as PDF. The pages stay
    // until lp has answered.
    QTemporaryFile *pages = new QTemporaryFile(QDir::temp().filePath(QStringLiteral("quorvane-print-XXXXXX.pdf")));
    TablePrinter printer(table->model(), columnWidths(table));
    const QString printerName = TablePrinter::defaultPrinterName();
    QProcess *lp = nullptr;
    if (!pages->open()) {
        exportError = pages->errorString();
    } else {
        pages->close();
        if (!printer.writePdf(pages->fileName(), title, TablePrinter::defaultPrinterPageLayout()))
            exportError = printer.errorString();
        else
            lp = TablePrinter::startSubmit(printerName, pages->fileName(), title, this, &exportError);
    }
    if (!lp) {
        delete pages;
        QMessageBox::warning(this, tr("Print"), tr("The table could not be printed: %1").arg(exportError),
            QMessageBox::Ok);
        return false;
    }
    pages->setParent(lp);
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
        QMessageBox::warning(this, tr("Print"), tr("The table could not be printed: %1").arg(exportError),
            QMessageBox::Ok);
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
