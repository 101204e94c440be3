#include "store/StoreWriter.h"

#include "store/Database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <memory>

namespace {
const char insertStatement[] =
    "INSERT INTO invoice (funcstr, datavaluestr, unitstr, frastr, create_time) VALUES ($1, $2, $3, $4, $5)";
const int columnCount = 5;
// While idle the writer still looks for work this often.
const int idleMs = 1000;
const int pollSliceMs = 100;

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

Result wrap(PGresult *result)
{
    return Result(result, &PQclear);
}

bool succeeded(const Result &result)
{
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

// The server's notices (a "terminating connection" on shutdown among them)
// would otherwise go to stderr; an outage shows in the window instead.
void ignoreNotice(void *, const char *)
{
}

QString translated(const char *text)
{
    return QCoreApplication::translate("StoreWriter", text);
}
}

StoreWriter::StoreWriter(ReadingSpool &spool, const QString &connectionName)
    : spool(spool)
    , source(connectionName)
{
}

StoreWriter::~StoreWriter()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wakeUp.notify_all();
    if (worker.joinable())
        worker.join();
}

void StoreWriter::start()
{
    worker = std::thread(&StoreWriter::run, this);
}

void StoreWriter::wake()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        pendingWork = true;
    }
    wakeUp.notify_all();
}

bool StoreWriter::waitStored(int timeoutMs)
{
    std::unique_lock<std::mutex> guard(lock);
    return drained.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return spool.count() == 0; });
}

QString StoreWriter::failure() const
{
    std::lock_guard<std::mutex> guard(lock);
    return reason;
}

QString StoreWriter::connectFailure() const
{
    std::lock_guard<std::mutex> guard(lock);
    return reasonIsConnect ? reason : QString();
}

QString StoreWriter::oneLine(const QString &message)
{
    static const QRegularExpression address(QStringLiteral("^connection to server .*? failed: "));
    static const QRegularExpression severity(QStringLiteral("^[A-Z]+:\\s+"));
    QStringList parts;
    for (QString line : message.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        line = line.trimmed().remove(address).remove(severity);
        if (line.isEmpty() || parts.contains(line))
            continue;
        if (!parts.isEmpty() && !QStringLiteral(".?!:").contains(parts.last().back()))
            parts.last() += QLatin1Char('.');
        parts << line;
    }
    return parts.join(QLatin1Char(' '));
}

bool StoreWriter::aboutTheRecord(const QByteArray &sqlState)
{
    // Data exceptions, and a value a not-null or check constraint refuses.
    return sqlState.startsWith("22") || sqlState == "23502" || sqlState == "23514";
}

void StoreWriter::run()
{
    const QString name = QStringLiteral("quorvane-writer-%1").arg(quintptr(this), 0, 16);
    {
        QSqlDatabase connection = QSqlDatabase::cloneDatabase(source, name);
        work(connection);
        connection.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void StoreWriter::work(QSqlDatabase &connection)
{
    // Taken from the spool and not stored yet; the first `singles` of them
    // go one per transaction, to find the one the server refuses.
    QList<ReadingSpool::Entry> held;
    int singles = 0;
    // The transaction of `held` whose COMMIT went unanswered.
    qint64 uncertain = 0;
    int pauseMs = 0;
    PGconn *pg = nullptr;
    const auto failed = [&](bool connecting = false) {
        report(lastError, connecting);
        pauseMs = pauseMs > 0 ? std::min(pauseMs * 2, longestPauseMs) : firstPauseMs;
    };
    const auto drop = [&] {
        connection.close();
        pg = nullptr;
    };
    while (pause(pauseMs)) {
        if (!pg && !(pg = connectTo(connection))) {
            failed(true);
            continue;
        }
        if (uncertain) {
            const Answer answer = askCommitted(pg, uncertain);
            if (answer == Answer::NoAnswer)
                drop();
            if (answer == Answer::NoAnswer || answer == Answer::Running) {
                failed();
                continue;
            }
            if (answer == Answer::Committed) {
                spool.acknowledge(held);
                held.clear();
                singles = 0;
            }
            uncertain = 0;
        }
        if (!settleEarlier(pg)) {
            drop();
            failed();
            continue;
        }
        if (held.isEmpty())
            held = spool.take(batchSize);
        if (held.isEmpty()) {
            report(QString());
            drained.notify_all();
            pauseMs = -idleMs;
            continue;
        }
        const QList<ReadingSpool::Entry> batch = singles > 0 ? held.mid(0, 1) : held;
        switch (send(pg, batch)) {
        case Outcome::Stored:
            spool.acknowledge(batch);
            held = held.mid(batch.size());
            singles = std::max(0, singles - 1);
            report(QString());
            drained.notify_all();
            pauseMs = 0;
            break;
        case Outcome::Rejected:
            if (batch.size() > 1) {
                singles = batch.size();
            } else if (spool.setAside(batch.first(), lastError)) {
                held.removeFirst();
                singles = std::max(0, singles - 1);
            } else {
                lastError = spool.errorString();
                failed();
            }
            break;
        case Outcome::Refused:
            failed();
            break;
        case Outcome::Unknown:
            uncertain = lastXid;
            drop();
            failed();
            break;
        case Outcome::Lost:
            drop();
            failed();
            break;
        }
    }
    connection.close();
}

PGconn *StoreWriter::connectTo(QSqlDatabase &connection)
{
    if (!connection.open()) {
        const QSqlError error = connection.lastError();
        lastError = oneLine(error.databaseText().isEmpty() ? error.driverText() : error.databaseText());
        return nullptr;
    }
    PGconn *pg = Database::handleOf(connection);
    if (!pg) {
        lastError = connection.lastError().text();
        connection.close();
        return nullptr;
    }
    PQsetNoticeProcessor(pg, ignoreNotice, nullptr);
    // A statement held up by a lock is cancelled by the server in time.
    const QByteArray setUp = "SELECT set_config('statement_timeout', '" + QByteArray::number(statementTimeoutMs)
                             + "', false), set_config('application_name', 'quorvane store', false)";
    const Result set = wrap(call(pg, setUp.constData()));
    if (!succeeded(set)) {
        if (set)
            lastError = oneLine(QString::fromUtf8(PQresultErrorMessage(set.get())));
        connection.close();
        return nullptr;
    }
    everConnected = true;
    return pg;
}

bool StoreWriter::settleEarlier(PGconn *pg)
{
    const QVector<ReadingSpool::Batch> batches = spool.openBatches();
    for (const ReadingSpool::Batch &batch : batches) {
        const Answer answer = askCommitted(pg, batch.xid);
        if (answer == Answer::NoAnswer || answer == Answer::Running)
            return false;
        spool.settle(batch, answer == Answer::Committed);
    }
    return true;
}

StoreWriter::Answer StoreWriter::askCommitted(PGconn *pg, qint64 xid)
{
    const QByteArray text = QByteArray::number(xid);
    const char *values[] = {text.constData()};
    const Result result = wrap(call(pg, "SELECT txid_status($1)", 1, values));
    if (!result || PQstatus(pg) != CONNECTION_OK)
        return Answer::NoAnswer;
    if (!succeeded(result)) {
        // An id from the future: a server other than the one that took it.
        lastError = oneLine(QString::fromUtf8(PQresultErrorMessage(result.get())));
        return QByteArray(PQresultErrorField(result.get(), PG_DIAG_SQLSTATE)) == "22023" ? Answer::NeverCommitted
                                                                                        : Answer::NoAnswer;
    }
    const QByteArray status = PQgetvalue(result.get(), 0, 0);
    if (status == "in progress") {
        lastError = translated("waiting for the server to finish an earlier transaction");
        return Answer::Running;
    }
    // Null: older than what the server remembers; left that long, it is
    // taken as never committed.
    return status == "committed" ? Answer::Committed : Answer::NeverCommitted;
}

StoreWriter::Outcome StoreWriter::send(PGconn *pg, const QList<ReadingSpool::Entry> &entries)
{
    const Result begin = wrap(call(pg, "BEGIN"));
    if (!succeeded(begin))
        return refusal(pg, begin.get());
    for (const ReadingSpool::Entry &entry : entries) {
        QByteArray texts[columnCount];
        const char *values[columnCount];
        for (int i = 0; i < columnCount; ++i) {
            texts[i] = entry.values.value(i).toUtf8();
            // A null pointer would be SQL NULL; the record means an empty text.
            values[i] = texts[i].constData();
        }
        const Result inserted = wrap(call(pg, insertStatement, columnCount, values));
        if (!succeeded(inserted)) {
            const Outcome outcome = refusal(pg, inserted.get());
            const Result rolledBack = wrap(call(pg, "ROLLBACK"));
            return succeeded(rolledBack) ? outcome : Outcome::Lost;
        }
    }
    const Result xid = wrap(call(pg, "SELECT txid_current()"));
    if (!succeeded(xid))
        return refusal(pg, xid.get());
    lastXid = QByteArray(PQgetvalue(xid.get(), 0, 0)).toLongLong();
    // Recorded before COMMIT: if the answer never comes, the server is asked
    // about this transaction before the readings are sent again.
    if (entries.first().onDisk
        && !spool.markBatch({entries.first().seq, entries.last().seq, lastXid})) {
        lastError = spool.errorString();
        const Result rolledBack = wrap(call(pg, "ROLLBACK"));
        return succeeded(rolledBack) ? Outcome::Refused : Outcome::Lost;
    }
    const Result commit = wrap(call(pg, "COMMIT"));
    if (!commit || PQstatus(pg) != CONNECTION_OK)
        return Outcome::Unknown;
    return succeeded(commit) ? Outcome::Stored : refusal(pg, commit.get());
}

StoreWriter::Outcome StoreWriter::refusal(PGconn *pg, PGresult *result)
{
    if (!result || PQstatus(pg) != CONNECTION_OK) {
        if (result)
            lastError = oneLine(QString::fromUtf8(PQresultErrorMessage(result)));
        return Outcome::Lost;
    }
    lastError = oneLine(QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)));
    return aboutTheRecord(PQresultErrorField(result, PG_DIAG_SQLSTATE)) ? Outcome::Rejected : Outcome::Refused;
}

// Sends one statement and waits for its answer, never longer than
// answerTimeoutMs nor past a stop. Null when no answer came; the connection
// is then of no further use.
PGresult *StoreWriter::call(PGconn *pg, const char *statement, int count, const char *const *values)
{
    if (!PQsendQueryParams(pg, statement, count, nullptr, values, nullptr, nullptr, 0)) {
        lastError = oneLine(QString::fromUtf8(PQerrorMessage(pg)));
        return nullptr;
    }
    QElapsedTimer waited;
    waited.start();
    while (PQisBusy(pg)) {
        if (waited.elapsed() > answerTimeoutMs) {
            lastError = translated("the database server did not answer in time");
            return nullptr;
        }
        {
            std::lock_guard<std::mutex> guard(lock);
            if (stopping) {
                lastError = translated("the program was closed");
                return nullptr;
            }
        }
        pollfd socket = {PQsocket(pg), POLLIN, 0};
        ::poll(&socket, 1, pollSliceMs);
        if (!PQconsumeInput(pg)) {
            lastError = oneLine(QString::fromUtf8(PQerrorMessage(pg)));
            return nullptr;
        }
    }
    PGresult *result = nullptr;
    while (PGresult *next = PQgetResult(pg)) {
        PQclear(result);
        result = next;
    }
    if (!result)
        lastError = oneLine(QString::fromUtf8(PQerrorMessage(pg)));
    return result;
}

void StoreWriter::report(const QString &why, bool connecting)
{
    std::lock_guard<std::mutex> guard(lock);
    reason = why;
    reasonIsConnect = connecting && !why.isEmpty();
}

// Waits before the next round: a positive time for a pause after a failure,
// a negative one for an idle wait that new readings cut short. False once
// the writer is to stop.
bool StoreWriter::pause(int ms)
{
    std::unique_lock<std::mutex> guard(lock);
    if (ms > 0)
        wakeUp.wait_for(guard, std::chrono::milliseconds(ms), [this] { return stopping; });
    else if (ms < 0)
        wakeUp.wait_for(guard, std::chrono::milliseconds(-ms), [this] { return stopping || pendingWork; });
    pendingWork = false;
    return !stopping;
}
