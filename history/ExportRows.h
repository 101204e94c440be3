#ifndef EXPORTROWS_H
#define EXPORTROWS_H

#include <QString>

// The table an export writes: header texts and cell texts by row and column,
// exactly as the window shows them.
class ExportRows
{
public:
    virtual ~ExportRows() = default;

    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QString headerText(int column) const = 0;
    virtual QString cellText(int row, int column) const = 0;
};

#endif
