#include "history/HistoryTableModel.h"

#include <utility>

HistoryTableModel::HistoryTableModel(const QStringList &headers, QObject *parent)
    : QAbstractTableModel(parent), headers(headers)
{
}

HistoryTableModel::~HistoryTableModel() = default;

void HistoryTableModel::setRows(StoredRows rows)
{
    beginResetModel();
    content = std::move(rows);
    content.finish();
    endResetModel();
}

void HistoryTableModel::appendRows(StoredRows rows)
{
    if (rows.isEmpty())
        return;
    beginInsertRows(QModelIndex(), content.size(), content.size() + rows.size() - 1);
    content.append(std::move(rows));
    endInsertRows();
}

int HistoryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : content.size();
}

int HistoryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : headers.size();
}

QVariant HistoryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= content.size() || index.column() >= headers.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

QString HistoryTableModel::cellText(int row, int column) const
{
    switch (column) {
    case 0:
        return StoredRows::timeText(content.time(row));
    case 1:
        return content.value(row);
    case 2:
        return content.unit(row);
    case 3:
        return content.function(row);
    default:
        return QString();
    }
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < headers.size())
        return headers.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags HistoryTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}
