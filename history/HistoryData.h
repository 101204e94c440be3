#ifndef HISTORYDATA_H
#define HISTORYDATA_H

#include "store/Database.h"

#include <QDateTime>
#include <QDialog>
#include <QHash>
#include <QPair>
#include <QString>
#include <QVector>

#include <memory>

class HistoryExports;
class HistoryTableModel;
class QHBoxLayout;
class QProgressDialog;
class QPushButton;
class QSplitter;
class QSqlQueryModel;
class QTableView;
class QVBoxLayout;
class RangeReader;
class StoredRows;
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
    // connection of its own while the window keeps working: a progress
    // dialog shows at once, and its Cancel stops the query on the server
    // and leaves the window as it was. Read, the rows are shown as by
    // setModel() and the window shows itself; a failure is told in a box.
    // signal_queryFinished() follows in every case. False when a read is
    // already running.
    bool queryRange(const Database::Settings &settings, const QDateTime &start, const QDateTime &stop);
    bool isQuerying() const;

    // Function code of a stored row: "TEMP" by its unit, any other
    // function by name, unknown ones as 0.
    int functionCode(const QString &functionText, const QString &unitText) const;

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

private:
    // The plot's points of rows, made as the rows come in.
    struct Curve
    {
        QVector<double> xs;
        QVector<double> ys;
        qint64 originSeconds = 0;
        qint64 offsetHour = 0;
        qint64 offset = 0;
        quint32 function = 0;
        quint32 unit = 0;
        int code = 0;
    };

    // Adds the points of rows from row from on; from 0 starts afresh. Safe
    // in another thread: it reads only the fixed tables.
    void extendCurve(Curve &curve, const StoredRows &rows, int from) const;
    void showRows(StoredRows rows, Curve curve);
    void showReadProgress(int rows);
    void finishQuery();
    std::unique_ptr<QProgressDialog> workProgress(
        const QString &label, int maximum, const QString &cancelText);
    double plotValue(int code, int range, const QByteArray &valueText) const;
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
    QHash<QString, int> functionCodes;
    QVector<QVector<double>> overloadTable;
    QVector<QVector<QPair<double, double>>> plotLimitTable;
    HistoryTableModel *tableModel;
    HistoryExports *exports;
    RangeReader *reader;
    QProgressDialog *readProgress = nullptr;
    Curve readCurve;  // the reader's thread's while it runs
};

#endif
