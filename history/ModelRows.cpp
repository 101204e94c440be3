#include "history/ModelRows.h"

#include <QAbstractItemModel>

ModelRows::ModelRows(const QAbstractItemModel *model)
    : model(model)
{
}

int ModelRows::rowCount() const
{
    return model ? model->rowCount() : 0;
}

int ModelRows::columnCount() const
{
    return model ? model->columnCount() : 0;
}

QString ModelRows::headerText(int column) const
{
    return model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

QString ModelRows::cellText(int row, int column) const
{
    return model->index(row, column).data(Qt::DisplayRole).toString();
}
