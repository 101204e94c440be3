#ifndef HISTORYTABLEMODEL_H
#define HISTORYTABLEMODEL_H

#include "store/StoredRows.h"

#include <QAbstractTableModel>
#include <QStringList>

// The history window's rows: time, value, unit and function, shown centred,
// selectable, not editable. The rows stay in their compact stored form; a
// cell's text is made only when it is asked for.
class HistoryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit HistoryTableModel(const QStringList &headers, QObject *parent = nullptr);
    ~HistoryTableModel() override;

    // Replaces every row in one model reset.
    void setRows(StoredRows rows);
    // Adds rows at the end; the rows shown before stay as they are.
    void appendRows(StoredRows rows);
    const StoredRows &rows() const { return content; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QString cellText(int row, int column) const;

    QStringList headers;
    StoredRows content;
};

#endif
