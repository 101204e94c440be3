#ifndef HISTORYTABLEMODEL_H
#define HISTORYTABLEMODEL_H

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

class QDateTime;

// The history window's rows: time, value, unit and function, shown centred,
// selectable, not editable. Kept compact so a million rows stay small: the
// time as a number, the value texts in one shared buffer, and each distinct
// unit and function text stored once.
class HistoryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Collects rows away from the model, so a view never sees a half-built
    // table; handed over whole by setRows().
    class Rows
    {
    public:
        void reserve(int count);
        // time: a timeKey().
        void append(
            qint64 time, const QString &value, const QString &unit, const QString &function);
        int size() const { return rows.size(); }

    private:
        friend class HistoryTableModel;
        struct Row
        {
            qint64 time;          // local wall-clock seconds, see timeKey()
            quint32 valueOffset;  // into values
            quint32 valueLength;
            quint32 unit;      // index into texts
            quint32 function;  // index into texts
        };
        quint32 intern(const QString &text);

        QVector<Row> rows;
        QString values;
        QVector<QString> texts;
        QHash<QString, quint32> textIndex;
        quint32 lastText = 0;
    };

    // The wall-clock date and time as one number of seconds, without any
    // time-zone conversion; an invalid time gives noTime.
    static qint64 timeKey(const QDateTime &time);
    static const qint64 noTime;

    explicit HistoryTableModel(const QStringList &headers, QObject *parent = nullptr);
    ~HistoryTableModel() override;

    // Replaces every row in one model reset.
    void setRows(Rows rows);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QString cellText(int row, int column) const;

    QStringList headers;
    Rows content;
};

#endif
