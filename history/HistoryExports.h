#ifndef HISTORYEXPORTS_H
#define HISTORYEXPORTS_H

#include "history/ExportJob.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class ExportRows;
class QFileInfo;
class QTableView;
class QWidget;

// The history window's text export, workbook export and print of what its
// table shows: the file dialog, a progress dialog with Cancel, and the boxes
// that tell the outcome. The writing itself is left to TextExport,
// XlsxWorkbook, TablePrinter and PrintJob.
class HistoryExports : public QObject
{
    Q_OBJECT
public:
    // rows: what table shows, whose column widths the workbook and the
    // pages follow. Dialogs and boxes open over window, which owns this.
    HistoryExports(std::unique_ptr<const ExportRows> rows, QTableView *table, QWidget *window);
    ~HistoryExports() override;

    // Each tells the user its outcome; true when the file was written or
    // the print job started.
    bool exportText();
    bool exportExcel(const QString &title);
    bool writeWorkbook(const QString &path, const QString &title);
    // Returns once lp runs; printed() follows with its answer, after the
    // outcome box. A table longer than the print workbook's sheet is
    // refused before any work.
    bool printTable();
    void setPrintTimeout(int milliseconds);
    // Queues a printable file on the default printer; true when accepted.
    bool printFile(const QString &path);
    // Where printTable() keeps its workbook: "111.xlsx" in the program's
    // directory, or in the user's data directory when that is read-only.
    static QString printWorkbookPath();
    // The name a save dialog offers: readings-<first row's time>.<suffix>
    // in the documents folder when there is one, else in the home folder.
    QString defaultFileName(const QString &suffix) const;

signals:
    void printed(bool accepted);

private:
    using HasSuffix = std::function<bool(const QFileInfo &chosen)>;

    QString askFileName(const QString &filter, const QString &suffix, const HasSuffix &hasSuffix);
    bool run(ExportJob &job, const QString &label, const std::function<bool()> &work);
    void warn(const QString &title, const QString &text);
    QVector<int> columnWidths() const;

    std::unique_ptr<const ExportRows> rows;
    QTableView *table;
    QWidget *window;
    int printTimeoutMs;
    ExportJob::Failure lastFailure = ExportJob::Failure::None;
    QString exportError;  // why the last writeWorkbook() or printFile() failed
};

#endif
