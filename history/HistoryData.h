#ifndef HISTORYDATA_H
#define HISTORYDATA_H

#include <QDateTime>
#include <QDialog>
#include <QHash>
#include <QPair>
#include <QString>
#include <QVector>

class HistoryTableModel;
class QHBoxLayout;
class QProcess;
class QPushButton;
class QSplitter;
class QSqlQueryModel;
class QTableView;
class QVBoxLayout;
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

    // Function code of a stored row: "TEMP" by its unit, any other
    // function by name, unknown ones as 0.
    int functionCode(const QString &functionText, const QString &unitText) const;

    QTableView *tableView() const { return table; }
    Wave *plot() const { return wave; }

    // Each export tells the user its outcome; true when the file was
    // written or the print job accepted.
    bool exportText();
    bool exportExcel(const QString &title);
    bool writeWorkbook(const QString &path, const QString &title);
    // Hands the table to the print system and returns at once: true when
    // lp was started; signal_printed() follows with its answer, after the
    // outcome box.
    bool printTable();
    // How long lp may take to answer before the print counts as failed.
    void setPrintTimeout(int milliseconds);
    // Queues a printable file on the default printer; true when accepted.
    bool printFile(const QString &path);
    // Where printTable() keeps its workbook: "111.xlsx" in the program's
    // directory, or in the user's data directory when that is read-only.
    static QString printWorkbookPath();

signals:
    void signal_printed(bool accepted);

public slots:
    void slot_excel();
    void slot_txt();
    void slot_print();

private:
    void finishPrint(QProcess *lp, bool answered, const QString &printerName);
    double plotValue(int code, int range, const QString &valueText) const;
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
    QString exportError;  // why the last writeWorkbook() or printFile() failed
    int printTimeoutMs;
};

#endif
