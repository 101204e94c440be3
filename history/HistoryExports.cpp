#include "history/HistoryExports.h"

#include "history/ExportRows.h"
#include "history/PrintJob.h"
#include "history/TablePrinter.h"
#include "history/TextExport.h"
#include "history/XlsxWorkbook.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryFile>
#include <QUrl>

#include <memory>
#include <utility>

namespace {
// A box with one button "OK", run modally without parent.
void tellUser(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(HistoryExports::tr("OK"));
    box.exec();
}
}  // namespace

HistoryExports::HistoryExports(std::unique_ptr<const ExportRows> rows, QTableView *table, QWidget *window)
    : QObject(window)
    , rows(std::move(rows))
    , table(table)
    , window(window)
    , printTimeoutMs(TablePrinter::submitTimeoutMs)
{
}

HistoryExports::~HistoryExports() = default;

QString HistoryExports::defaultFileName(const QString &suffix) const
{
    const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    const QDir folder = documents.exists() ? documents : QDir::home();
    QString name = QStringLiteral("readings");
    if (rows->rowCount() > 0) {
        // The time as a file name takes on any system.
        QString start = rows->cellText(0, 0);
        start.replace(QLatin1Char(' '), QLatin1Char('_')).replace(QLatin1Char(':'), QLatin1Char('-'));
        start.remove(QLatin1Char('/')).remove(QLatin1Char('\\'));
        if (!start.isEmpty())
            name += QLatin1Char('-') + start;
    }
    return folder.filePath(name + QLatin1Char('.') + suffix);
}

QString HistoryExports::askFileName(const QString &filter, const QString &suffix, const HasSuffix &hasSuffix)
{
    QString name = QFileDialog::getSaveFileName(window, tr("Save"), defaultFileName(suffix), filter);
    if (name.isEmpty() || hasSuffix(QFileInfo(name)))
        return name;
    name += QLatin1Char('.') + suffix;
    // The dialog asked about the typed name only.
    if (QFileInfo::exists(name)) {
        QMessageBox replace(QMessageBox::Question, tr("Save"),
            tr("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(name)),
            QMessageBox::Yes | QMessageBox::No, window);
        replace.button(QMessageBox::Yes)->setText(tr("Yes"));
        replace.button(QMessageBox::No)->setText(tr("No"));
        replace.setDefaultButton(QMessageBox::No);
        if (replace.exec() != QMessageBox::Yes)
            return QString();
    }
    return name;
}

bool HistoryExports::run(ExportJob &job, const QString &label, const std::function<bool()> &work)
{
    // Over the window when it is shown, else over the main window; work done
    // within half a second shows no dialog.
    QProgressDialog progress(label, tr("Cancel"), 0, rows->rowCount(),
                             window->isVisible() ? window : window->parentWidget());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    job.setProgress([&progress](int done, int) {
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    const bool done = work();
    lastFailure = job.failure();
    return done;
}

void HistoryExports::warn(const QString &title, const QString &text)
{
    QMessageBox::warning(window, title, text, QMessageBox::Ok);
}

QVector<int> HistoryExports::columnWidths() const
{
    QVector<int> widths;
    for (int column = 0; column < rows->columnCount(); ++column)
        widths.append(table->columnWidth(column));
    return widths;
}

bool HistoryExports::exportText()
{
    // A name without a suffix gets ".txt"; an existing file (a device too)
    // was asked about by the dialog and keeps its name.
    const QString name = askFileName(tr("Txt(*.txt)"), QStringLiteral("txt"),
        [](const QFileInfo &chosen) { return !chosen.suffix().isEmpty() || chosen.exists(); });
    if (name.isEmpty())
        return false;
    TextExport exporter(rows.get());
    if (run(exporter, tr("Writing %1...").arg(QDir::toNativeSeparators(name)), [&] { return exporter.write(name); })) {
        tellUser(QMessageBox::Warning, tr("Prompt"), tr("Save successed"));
        return true;
    }
    if (exporter.failure() == ExportJob::Failure::Open)
        warn(tr("Read File"), tr("Cannot open file") + name + QLatin1Char('\n') + exporter.errorString());
    else if (exporter.failure() == ExportJob::Failure::Write)
        warn(tr("Error"), tr("The file %1 could not be written: %2")
                              .arg(QDir::toNativeSeparators(name), exporter.errorString()));
    return false;
}

bool HistoryExports::exportExcel(const QString &title)
{
    const QString name = askFileName(tr("Excel(*.xls *.xlsx)"), QStringLiteral("xlsx"), [](const QFileInfo &chosen) {
        const QString suffix = chosen.suffix().toLower();
        return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx");
    });
    if (name.isEmpty())
        return false;
    if (!writeWorkbook(name, title)) {
        if (lastFailure != ExportJob::Failure::Cancelled)
            QMessageBox::about(window, tr("Error"), exportError);
        return false;
    }
    QMessageBox question(QMessageBox::Question, tr("completed"),
        tr("The file has been exported, is it open now?"), QMessageBox::Ok | QMessageBox::No);
    question.button(QMessageBox::Ok)->setText(tr("OK"));
    question.button(QMessageBox::No)->setText(tr("Cancel"));
    if (question.exec() == QMessageBox::Ok && !QDesktopServices::openUrl(QUrl::fromLocalFile(name)))
        warn(tr("completed"), tr("No program on this system opens %1.").arg(QDir::toNativeSeparators(name)));
    return true;
}

bool HistoryExports::writeWorkbook(const QString &path, const QString &title)
{
    XlsxWorkbook workbook(rows.get(), columnWidths());
    const bool written = run(workbook, tr("Writing %1...").arg(QDir::toNativeSeparators(path)),
        [&] { return workbook.write(QDir::toNativeSeparators(path), title); });
    exportError = workbook.errorString();
    return written;
}

QString HistoryExports::printWorkbookPath()
{
    const QString name = QStringLiteral("111.xlsx");
    const QString programDirectory = QCoreApplication::applicationDirPath();
    if (QFileInfo(programDirectory).isWritable())
        return programDirectory + QLatin1Char('/') + name;
    const QString dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataDirectory);
    return dataDirectory + QLatin1Char('/') + name;
}

bool HistoryExports::printTable()
{
    // The pages go by way of the print workbook, so a table longer than its
    // sheet is refused before anything is written.
    const QString refusal = XlsxWorkbook::tooManyRows(rows->rowCount());
    if (!refusal.isEmpty()) {
        warn(tr("Print"), tr("The table could not be printed: %1").arg(refusal));
        return false;
    }
    const QString title = tr("Data Record");
    const QString path = printWorkbookPath();
    if (!writeWorkbook(path, title)) {
        if (lastFailure != ExportJob::Failure::Cancelled)
            QMessageBox::about(window, tr("Error"), exportError);
        return false;
    }
    const QString printerName = TablePrinter::defaultPrinterName();
    if (printerName.isEmpty()) {
        warn(tr("Print"), tr("No default printer is set. The table was saved in %1.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    // The print system takes pages, not workbooks: the same table is laid
    // out for the default printer's paper and queued as PDF.
    auto pages = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("quorvane-print-XXXXXX.pdf")));
    TablePrinter printer(rows.get(), columnWidths());
    if (!pages->open()) {
        warn(tr("Print"), tr("The table could not be printed: %1").arg(pages->errorString()));
        return false;
    }
    pages->close();
    if (!run(printer, tr("Laying out the pages..."), [&] {
            return printer.writePdf(pages->fileName(), title, TablePrinter::defaultPrinterPageLayout());
        })) {
        if (lastFailure != ExportJob::Failure::Cancelled)
            warn(tr("Print"), tr("The table could not be printed: %1").arg(printer.errorString()));
        return false;
    }
    auto *job = new PrintJob(printerName, std::move(pages), title, printTimeoutMs, this);
    if (!job->start()) {
        warn(tr("Print"), tr("The table could not be printed: %1").arg(job->errorString()));
        delete job;
        return false;
    }
    connect(job, &PrintJob::finished, this, [this, job](bool accepted, const QString &error) {
        job->deleteLater();
        if (accepted)
            tellUser(QMessageBox::Question, tr("completed"), tr("Print successed"));
        else
            warn(tr("Print"), tr("The table could not be printed: %1").arg(error));
        emit printed(accepted);
    });
    return true;
}

void HistoryExports::setPrintTimeout(int milliseconds)
{
    printTimeoutMs = milliseconds;
}

bool HistoryExports::printFile(const QString &path)
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
