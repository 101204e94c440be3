#ifndef MODELROWS_H
#define MODELROWS_H

#include "history/ExportRows.h"

class QAbstractItemModel;

// The rows of an item model, the texts it displays.
class ModelRows : public ExportRows
{
public:
    explicit ModelRows(const QAbstractItemModel *model);

    int rowCount() const override;
    int columnCount() const override;
    QString headerText(int column) const override;
    QString cellText(int row, int column) const override;

private:
    const QAbstractItemModel *model;
};

#endif
