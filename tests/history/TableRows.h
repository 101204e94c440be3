#ifndef TABLEROWS_H
#define TABLEROWS_H

#include "history/ExportRows.h"

#include <QStringList>

// A four-column table for the exports: the rows, repeated up to count rows.
class TableRows : public ExportRows
{
public:
    explicit TableRows(const QList<QStringList> &rows, int count = -1) : rows(rows), count(count < 0 ? rows.size() : count) {}
    int rowCount() const override { return count; }
    int columnCount() const override { return 4; }
    QString headerText(int column) const override { return QStringList{"Time", "Data", "Unit", "Func"}.at(column); }
    QString cellText(int row, int column) const override { return rows.at(row % rows.size()).value(column); }

private:
    QList<QStringList> rows;
    int count;
};

#endif
