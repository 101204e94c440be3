#ifndef XLSXWORKBOOK_H
#define XLSXWORKBOOK_H

#include <QCoreApplication>
#include <QString>
#include <QVector>

#include <functional>

class QAbstractItemModel;

// Writes a table into an .xlsx workbook: a merged title row, a bold grey
// header row and one row of texts per table row, all bordered. Rows are
// streamed to disk as they are written, so memory stays flat for large tables.
class XlsxWorkbook
{
    Q_DECLARE_TR_FUNCTIONS(XlsxWorkbook)
public:
    // rowsWritten of rowCount table rows; called every few thousand rows.
    using Progress = std::function<void(int rowsWritten, int rowCount)>;

    // columnWidths: the table's column widths in pixels, one per column.
    XlsxWorkbook(const QAbstractItemModel *model, const QVector<int> &columnWidths);

    void setProgress(Progress progress);

    // The file at path is replaced only by a complete workbook, unless the
    // folder forbids replacing it: a writable file is then written in place.
    bool write(const QString &path, const QString &title);
    QString errorString() const;

    static int characterWidth(int pixels);

private:
    bool writeFile(const QString &file, const QString &path, const QString &title);
    bool fail(const QString &text);

    const QAbstractItemModel *model;
    QVector<int> columnWidths;
    Progress progress;
    QString lastError;
};

#endif
