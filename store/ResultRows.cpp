#include "store/ResultRows.h"

#include "meter/StoredReading.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QVariant>

#include <libpq-fe.h>

namespace {
// PostgreSQL's type "timestamp without time zone".
const Oid TimestampType = 1114;

struct Columns
{
    int function;
    int value;
    int unit;
    int range;
    int time;

    bool complete() const
    {
        return function >= 0 && value >= 0 && unit >= 0 && range >= 0 && time >= 0;
    }
};

Columns columnsOf(const QSqlRecord &record)
{
    const QStringList &names = StoredReading::columns;
    return {record.indexOf(names.at(0)), record.indexOf(names.at(1)), record.indexOf(names.at(2)),
        record.indexOf(names.at(3)), record.indexOf(names.at(4))};
}

const PGresult *postgresResult(const QSqlQuery &query)
{
    const QVariant handle = query.result()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGresult*") != 0 || query.isForwardOnly())
        return nullptr;
    return *static_cast<PGresult *const *>(handle.constData());
}

// With the PostgreSQL driver the whole result sits in libpq's result set,
// its texts in UTF-8 (the encoding the driver asks for). Reading them
// directly skips a variant per cell and a local date-time per row, which
// is most of the time a million rows take. False when the query holds no
// such result or the time column is not a plain timestamp.
bool readPostgres(const QSqlQuery &query, const Columns &columns, StoredRows &rows,
    const ResultRows::Progress &progress)
{
    const PGresult *result = postgresResult(query);
    if (!result || PQntuples(result) != query.size() || !columns.complete()
        || PQftype(result, columns.time) != TimestampType)
        return false;
    const auto text = [result](int row, int column) {
        return std::string_view(PQgetvalue(result, row, column), size_t(PQgetlength(result, row, column)));
    };
    const int count = PQntuples(result);
    for (int i = 0; i < count; ++i) {
        const qint64 time = PQgetisnull(result, i, columns.time)
            ? StoredRows::noTime
            : StoredRows::timestampKey(
                PQgetvalue(result, i, columns.time), PQgetlength(result, i, columns.time));
        rows.appendUtf8(time, text(i, columns.value), text(i, columns.unit),
            text(i, columns.function), StoredRows::rangeNumber(text(i, columns.range)));
        if (progress && (i + 1) % ResultRows::progressStep == 0)
            progress(i + 1);
    }
    return true;
}

// Any other result, through the driver's values.
void readValues(QSqlQuery &query, const Columns &columns, StoredRows &rows,
    const ResultRows::Progress &progress)
{
    if (!query.seek(0))
        return;
    do {
        rows.append(StoredRows::timeKey(query.value(columns.time).toDateTime()),
            query.value(columns.value).toString(), query.value(columns.unit).toString(),
            query.value(columns.function).toString(), query.value(columns.range).toInt());
        if (progress && rows.size() % ResultRows::progressStep == 0)
            progress(rows.size());
    } while (query.next());
}
}  // namespace

StoredRows ResultRows::read(QSqlQuery &query, const Progress &progress)
{
    StoredRows rows;
    const Columns columns = columnsOf(query.record());
    if (!readPostgres(query, columns, rows, progress))
        readValues(query, columns, rows, progress);
    rows.finish();
    return rows;
}
