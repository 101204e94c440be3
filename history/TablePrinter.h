#ifndef TABLEPRINTER_H
#define TABLEPRINTER_H

#include "history/ExportJob.h"

#include <QPageLayout>
#include <QVector>

class QObject;
class QPrinter;
class QProcess;

// Prints a table laid out like the exported workbook: the title above the
// first page's table, a bold header row on grey repeated on every page, and
// every cell bordered. Column widths keep the table's proportions and fill
// the page width. For a printer the pages are written as PDF, the format
// the print system takes from every program, and then queued with submit(),
// so whether a job was accepted is known rather than assumed.
class TablePrinter : public ExportJob
{
    Q_DECLARE_TR_FUNCTIONS(TablePrinter)
public:
    // columnWidths: the table's column widths in pixels, one per column.
    // Progress is reported once per page.
    TablePrinter(const ExportRows *rows, const QVector<int> &columnWidths);

    // Paints all pages on an already set-up printer.
    bool render(QPrinter *printer, const QString &title);
    bool writePdf(const QString &path, const QString &title,
                  const QPageLayout &layout = defaultPageLayout());

    static QPageLayout defaultPageLayout();
    // The default printer's paper and margins; defaultPageLayout() without one.
    static QPageLayout defaultPrinterPageLayout();
    static QString defaultPrinterName();
    // Queues one printable file (PDF, PostScript, text) on a printer; true
    // when the print system accepted the job, whose id goes to jobId.
    // Waits up to submitTimeoutMs for the print system's answer.
    static bool submit(const QString &printer, const QString &file, const QString &title,
                       QString *jobId, QString *errorString);
    // The same without waiting: the running lp, owned by parent, or null when
    // it cannot start. Once it has finished, accepted() reads its answer.
    static QProcess *startSubmit(const QString &printer, const QString &file, const QString &title,
                                 QObject *parent, QString *errorString);
    static bool accepted(QProcess *lp, const QString &printer, QString *jobId, QString *errorString);

    static const int submitTimeoutMs = 60000;

private:
    QVector<int> columnWidths;
};

#endif
