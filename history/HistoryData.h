#ifndef HISTORYDATA_H
#define HISTORYDATA_H

#include "store/Database.h"
#include "store/StoredRows.h"

#include <QDateTime>
#include <QDialog>
#include <QString>

#include <memory>

class HistoryExports;
class HistoryTableModel;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QProgressDialog;
class QPushButton;
class QSplitter;
class QSqlQueryModel;
class QTableView;
class QVBoxLayout;
class RangeReader;
class StoredPoints;
class SummarySeries;
class Wave;

// The stored readings of a time range: a table of the rows beside a plot of
// their values, with buttons to export or print what the table shows.
class HistoryData : public QDialog
{
    Q_OBJECT
public:
    explicit HistoryData(QWidget *parent = nullptr);
    ~HistoryData() override;

    // Shows every row of the model in the table and the plot; a null model
    // or one without rows leaves both as they are.
    void setModel(QSqlQueryModel *model);
    // Reads the stored rows between start and stop, both included, on a
    // connection of its own. The window shows itself at once, with the
    // read's progress and Cancel above the table; the first rows replace
    // what it showed, and table and plot grow as more come. Cancel, or
    // closing the window, stops the query on the server and keeps what was
    // read. A range without rows keeps what was shown and says so; a
    // failure is told in a box. signal_queryFinished() follows in every
    // case. False when a read is already running.
    bool queryRange(const Database::Settings &settings, const QDateTime &start, const QDateTime &stop);
    bool isQuerying() const;
    // The line above the table: the range, its rows, the read's state.
    QString readText() const;

    QTableView *tableView() const { return table; }
    Wave *plot() const { return wave; }

    // The exports and the print, as HistoryExports runs them on what the
    // table shows. printTable() returns once lp runs; signal_printed()
    // follows with its answer, after the outcome box.
    bool exportText();
    bool exportExcel(const QString &title);
    bool writeWorkbook(const QString &path, const QString &title);
    bool printTable();
    // How long lp may take to answer before the print counts as failed.
    void setPrintTimeout(int milliseconds);
    bool printFile(const QString &path);
    static QString printWorkbookPath();

signals:
    void signal_printed(bool accepted);
    void signal_queryFinished();

public slots:
    void slot_excel();
    void slot_txt();
    void slot_print();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *readPanel(QWidget *below);
    // The first rows of a result replace what is shown; more are added.
    void showRows(StoredRows rows);
    void addRows(StoredRows rows);
    void takeReadRows();
    void showReadProgress(int rows);
    void finishQuery();
    std::unique_ptr<QProgressDialog> workProgress(
        const QString &label, int maximum, const QString &cancelText);
    void applyYRange(int code, int range);

    QTableView *table;
    Wave *wave;
    QPushButton *excelButton;
    QPushButton *txtButton;
    QPushButton *printButton;
    QSplitter *splitter;
    QHBoxLayout *outerLayout;
    QHBoxLayout *buttonRow;
    QVBoxLayout *rightLayout;
    QWidget *rightPanel;
    QDateTime baseTime;
    HistoryTableModel *tableModel;
    HistoryExports *exports;
    // The plot reads the table's rows in place.
    std::unique_ptr<StoredPoints> points;
    SummarySeries *series = nullptr;  // the plot's, over points
    RangeReader *reader;
    QLabel *readLine;
    QProgressBar *readProgress;
    QPushButton *cancelButton;
    QDateTime readStart;
    QDateTime readStop;
    bool readReplaced = false;  // the read's first rows are shown
    bool hiddenBeforeRead = false;
    StoredRows readRows;  // taken from the reader, not yet shown
    qint64 lastGrowth = 0;
};

#endif
