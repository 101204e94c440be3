#include "store/Database.h"
#include "store/ConnectionService.h"

#include "meter/StoredReading.h"
#include "store/ReadingSpool.h"
#include "store/StoreWriter.h"

#include <QDateTime>
#include <QStandardPaths>
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

const char timeFormat[] = "yyyy-MM-dd hh:mm:ss";
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
    writer.reset();
    spool.reset();
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

QString Database::spoolDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

PGconn *Database::handleOf(const QSqlDatabase &connection)
{
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

bool Database::open()
{
    if (!spool) {
        spool = std::make_unique<ReadingSpool>(spoolDirectory());
        spool->open();
        // A connection of its own, made from this one's settings.
        writer = std::make_unique<StoreWriter>(*spool, connection.connectionName());
        writer->start();
    }
    opened = connection.open();
    if (opened)
        model = std::make_unique<QSqlQueryModel>();
    return opened;
}

bool Database::isOpen() const
{
    return opened || (writer && writer->hasConnected());
}

QString Database::rangeSelect(const QDateTime &start, const QDateTime &stop, bool orderByKey)
{
    const QLatin1String format(StoredReading::timeFormat);
    return QStringLiteral("select %1 from invoice where create_time between '%2' and '%3' order by %4")
        .arg(StoredReading::columns.join(QLatin1String(", ")), start.toString(format), stop.toString(format),
            orderByKey ? QStringLiteral("id") : QStringLiteral("create_time"));
}

QSqlQueryModel *Database::query(const QDateTime &start, const QDateTime &stop)
{
    if (!isOpen())
        return nullptr;
    // The user asked: try the server now if the last query lost it.
    if (!connection.isOpen() || connectionBroken()) {
        connection.close();
        if (!connection.open())
            return nullptr;
    }
    if (!model)
        model = std::make_unique<QSqlQueryModel>();
    // Recorded order (see rangeSelect()).
    // A table made without our key column still answers, in time order.
    const auto statement = [&] { return rangeSelect(start, stop, orderByKey); };
    model->setQuery(statement(), connection);
    if (orderByKey && model->lastError().nativeErrorCode() == QLatin1String(undefinedColumn)) {
        orderByKey = false;
        model->setQuery(statement(), connection);
    }
    if (model->lastError().isValid() && connectionBroken()) {
        connection.close();
        if (!connection.open())
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
    if (values.size() != columnCount || !spool)
        return false;
    spool->append(values);
    writer->wake();
    return true;
}

int Database::pendingCount() const
{
    return spool ? spool->count() : 0;
}

bool Database::waitStored(int timeoutMs)
{
    return !writer || writer->waitStored(timeoutMs);
}

QString Database::failure() const
{
    return writer ? writer->failure() : QString();
}

QString Database::connectFailure() const
{
    return writer ? writer->connectFailure() : QString();
}

QString Database::spoolFailure() const
{
    return spool ? spool->errorString() : QString();
}

int Database::setAsideCount() const
{
    return spool ? spool->setAsideCount() : 0;
}

int Database::lostCount() const
{
    return spool ? spool->lostCount() : 0;
}

bool Database::connectionBroken() const
{
    PGconn *pg = handleOf(connection);
    return !pg || PQstatus(pg) != CONNECTION_OK;
}
