#include "store/Database.h"
#include "store/ConnectionService.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QVariant>

#include <libpq-fe.h>

namespace {
Database::Settings &storedDefaults()
{
    static Database::Settings settings = ConnectionService::resolve(Database::Settings());
    return settings;
}

const int columnCount = 5;

// Longest one insert() spends catching up on held records, so writing a long
// backlog after an outage never freezes the window.
const qint64 flushBudgetMs = 20;

const char timeFormat[] = "yyyy-MM-dd hh:mm:ss";

// The insert is prepared once per session with libpq itself and the five
// texts travel as parameters, apart from the statement. Qt's own prepared
// queries cannot be dropped after the session they belong to has died
// without complaining on the console, and the store stays silent.
const char insertName[] = "quorvane_insert";
const char insertStatement[] =
    "INSERT INTO invoice (funcstr, datavaluestr, unitstr, frastr, create_time) VALUES ($1, $2, $3, $4, $5)";

PGconn *handleOf(const QSqlDatabase &connection)
{
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

// The server's notices (a "terminating connection" on shutdown among them)
// would otherwise go to stderr; an outage shows in the window instead.
void ignoreNotice(void *, const char *)
{
}

bool commandSucceeded(PGresult *result)
{
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    return ok;
}
}

const char Database::undefinedColumn[] = "42703";

Database::Database()
    : Database(defaultSettings())
{
}

Database::Database(const Settings &settings)
    : connectionSettings(settings)
{
    connection = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
    ConnectionService::apply(settings, connection);
    // Every date and time read back is made in local time. With TZ unset the
    // C library looks at the zone file again for each one, which makes
    // reading a long range several times slower; naming the same default
    // zone explicitly skips that check.
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
}

Database::~Database()
{
    model.reset();
    connection.close();
    connection = QSqlDatabase();
    QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
}

void Database::setDefaultSettings(const Settings &settings)
{
    storedDefaults() = settings;
}

Database::Settings Database::defaultSettings()
{
    return storedDefaults();
}

Database::Settings Database::settings() const
{
    return connectionSettings;
}

bool Database::open()
{
    opened = connection.open();
    if (!opened)
        return false;
    prepareSession();
    if (!model)
        model = std::make_unique<QSqlQueryModel>();
    return true;
}

bool Database::isOpen() const
{
    return opened;
}

QString Database::rangeSelect(const QDateTime &start, const QDateTime &stop, bool orderByKey)
{
    return QStringLiteral("select funcstr, datavaluestr, unitstr, frastr, create_time from invoice"
                          " where create_time between '%1' and '%2' order by create_time%3")
        .arg(start.toString(QLatin1String(timeFormat)), stop.toString(QLatin1String(timeFormat)),
            orderByKey ? QStringLiteral(", id") : QString());
}

QSqlQueryModel *Database::query(const QDateTime &start, const QDateTime &stop)
{
    if (!model)
        return nullptr;
    // The user asked: try the server now rather than when due.
    if (broken) {
        sinceReconnectAttempt.start();
        reconnect();
    }
    if (!broken && !pending.empty())
        flushPending();
    // Time order, then insertion order, so the history plot runs left to right.
    // A table made without our key column still answers, in time order only.
    const auto statement = [&] { return rangeSelect(start, stop, orderByKey); };
    // A query on a closed connection would complain on the console.
    if (broken)
        return nullptr;
    model->setQuery(statement(), connection);
    if (orderByKey && model->lastError().nativeErrorCode() == QLatin1String(undefinedColumn)) {
        orderByKey = false;
        model->setQuery(statement(), connection);
    }
    if (model->lastError().isValid() && connectionBroken()) {
        broken = true;
        sinceReconnectAttempt.start();
        if (!reconnect())
            return nullptr;
        model->setQuery(statement(), connection);
    }
    // Drivers that cannot tell the result size hand rows over in batches.
    while (model->canFetchMore())
        model->fetchMore();
    return model.get();
}

bool Database::insert(const QStringList &values)
{
    if (values.size() != columnCount || !opened)
        return false;
    if (!broken && pending.empty()) {
        if (execInsert(values))
            return true;
        if (!connectionBroken())
            return false; // the server refused this record itself
        broken = true;
        // The server may just have restarted: try again at once.
        sinceReconnectAttempt.invalidate();
    }
    // A full queue first makes room if the server answers again.
    if (pending.size() >= size_t(maxPending) && !(broken && !reconnectIfDue()))
        flushPending();
    // Behind every record still held, so the rows keep their order.
    const bool held = pending.size() < size_t(maxPending);
    if (held)
        pending.push_back(values);
    if (broken && !reconnectIfDue())
        return false;
    return flushPending() && held;
}

int Database::pendingCount() const
{
    return int(pending.size());
}

bool Database::isStoring() const
{
    return opened && !broken && pending.empty();
}

bool Database::catchUp()
{
    if (opened && broken)
        reconnectIfDue();
    if (opened && !broken && !pending.empty())
        flushPending();
    return isStoring();
}

bool Database::connectionBroken()
{
    PGconn *pg = handleOf(connection);
    return !pg || PQstatus(pg) != CONNECTION_OK;
}

bool Database::reconnect()
{
    insertPrepared = false;
    connection.close();
    if (!connection.open())
        return false;
    broken = false;
    prepareSession();
    return true;
}

bool Database::reconnectIfDue()
{
    if (sinceReconnectAttempt.isValid() && sinceReconnectAttempt.elapsed() < reconnectIntervalMs)
        return false;
    sinceReconnectAttempt.start();
    return reconnect();
}

bool Database::prepareSession()
{
    PGconn *pg = handleOf(connection);
    if (!pg)
        return insertPrepared = false;
    PQsetNoticeProcessor(pg, ignoreNotice, nullptr);
    insertPrepared = commandSucceeded(PQprepare(pg, insertName, insertStatement, columnCount, nullptr));
    return insertPrepared;
}

bool Database::execInsert(const QStringList &values)
{
    if (!insertPrepared && !prepareSession())
        return false;
    QByteArray texts[columnCount];
    const char *parameters[columnCount];
    for (int i = 0; i < columnCount; ++i) {
        texts[i] = values.at(i).toUtf8();
        // A null pointer would be SQL NULL; the record means an empty text.
        parameters[i] = texts[i].constData();
    }
    return commandSucceeded(
        PQexecPrepared(handleOf(connection), insertName, columnCount, parameters, nullptr, nullptr, 0));
}

// Writes held records in order, each batch in one transaction, until the
// queue is empty or the time budget is spent. A record leaves the queue only
// once its batch is committed, so a connection lost mid-batch costs nothing
// and duplicates nothing. Returns true when the queue is empty and its last
// record was written.
bool Database::flushPending()
{
    QElapsedTimer budget;
    budget.start();
    bool lastWritten = false;
    bool lastRefused = false;
    while (!pending.empty() && budget.elapsed() < flushBudgetMs) {
        if (!connection.transaction()) {
            broken = connectionBroken();
            return false;
        }
        size_t written = 0;
        bool refused = false;
        while (written < pending.size() && budget.elapsed() < flushBudgetMs) {
            if (!execInsert(pending[written])) {
                refused = true;
                break;
            }
            ++written;
        }
        if (refused) {
            connection.rollback();
            if (connectionBroken()) {
                broken = true;
                sinceReconnectAttempt.start();
                return false;
            }
            // The server rejects this record itself; holding it would block
            // every later one for good.
            lastRefused = written + 1 == pending.size();
            pending.erase(pending.begin() + written);
            continue;
        }
        if (!connection.commit()) {
            connection.rollback();
            broken = connectionBroken();
            if (broken)
                sinceReconnectAttempt.start();
            return false;
        }
        pending.erase(pending.begin(), pending.begin() + written);
        lastWritten = true;
    }
    return pending.empty() && lastWritten && !lastRefused;
}
