#ifndef RESULTROWS_H
#define RESULTROWS_H

#include "store/StoredRows.h"

#include <functional>

class QSqlQuery;

// Turns a query result with the columns of the reading table into compact
// rows. A result of
// the PostgreSQL driver is read from libpq's own result set; any other
// through the driver's values.
class ResultRows
{
public:
    // Rows between two progress calls.
    static const int progressStep = 4096;
    // Told the rows read so far.
    using Progress = std::function<void(int rows)>;

    // Every row of the result, from the first; the query is left on some
    // row. Rows of a result without those columns read as empty.
    static StoredRows read(QSqlQuery &query, const Progress &progress = Progress());
};

#endif
