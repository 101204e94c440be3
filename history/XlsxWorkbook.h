#ifndef XLSXWORKBOOK_H
#define XLSXWORKBOOK_H

#include "history/ExportJob.h"

#include <QVector>

// Writes a table into an .xlsx workbook: a merged title row, a bold grey
// header row and one row of texts per table row, all bordered. Rows are
// streamed to disk as they are written, so memory stays flat for large tables.
class XlsxWorkbook : public ExportJob
{
    Q_DECLARE_TR_FUNCTIONS(XlsxWorkbook)
public:
    // A sheet holds 1,048,576 rows, the title and the header row included.
    static const int maxTableRows = 1048576 - 2;
    // Rows between two progress reports.
    static const int progressStep = 4096;

    // columnWidths: the table's column widths in pixels, one per column.
    XlsxWorkbook(const ExportRows *rows, const QVector<int> &columnWidths);

    // The file at path is replaced only by a complete workbook (see
    // SafeReplace). A table longer than a sheet is refused before any work.
    bool write(const QString &path, const QString &title);
    // Why a table cannot go into a workbook; empty when it can.
    static QString tooManyRows(int rowCount);

    static int characterWidth(int pixels);

private:
    bool writeFile(const QString &file, const QString &path, const QString &title);

    QVector<int> columnWidths;
};

#endif
