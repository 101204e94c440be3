#ifndef TABLEPRINTER_H
#define TABLEPRINTER_H

#include <QCoreApplication>
#include <QPageLayout>
#include <QString>
#include <QVector>

class QAbstractItemModel;
class QPrinter;

// Prints a table laid out like the exported workbook: the title above the
// first page's table, a bold header row on grey repeated on every page, and
// every cell bordered. Column widths keep the table's proportions and fill
// the page width.
class TablePrinter
{
    Q_DECLARE_TR_FUNCTIONS(TablePrinter)
public:
    enum class Failure { None, NoDefaultPrinter, Render, Submit };

    // columnWidths: the table's column widths in pixels, one per column.
    TablePrinter(const QAbstractItemModel *model, const QVector<int> &columnWidths);

    // Paints all pages on an already set-up printer.
    bool render(QPrinter *printer, const QString &title);
    bool writePdf(const QString &path, const QString &title,
                  const QPageLayout &layout = defaultPageLayout());
    // Renders for the default printer's paper and hands the job to the print
    // system; true once the job was accepted (see jobId()).
    bool printOnDefaultPrinter(const QString &title);

    Failure failure() const;
    QString errorString() const;
    QString jobId() const;

    static QPageLayout defaultPageLayout();
    // The default printer's paper and margins; defaultPageLayout() without one.
    static QPageLayout defaultPrinterPageLayout();
    static QString defaultPrinterName();
    // Queues one printable file (PDF, PostScript, text) on a printer; the
    // print system's job id goes to jobId.
    static bool submit(const QString &printer, const QString &file, const QString &title,
                       QString *jobId, QString *errorString);

private:
    bool fail(Failure failure, const QString &text);

    const QAbstractItemModel *model;
    QVector<int> columnWidths;
    Failure lastFailure = Failure::None;
    QString lastError;
    QString lastJobId;
};

#endif
