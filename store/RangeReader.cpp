#include "store/RangeReader.h"
#include "store/ConnectionService.h"

#include <QElapsedTimer>
#include <QThread>

#include <libpq-fe.h>
#include <poll.h>

#include <cstring>
#include <memory>
#include <utility>

namespace {
// How long the worker waits on the server before it looks for a cancel.
const int pollMs = 50;
const int columnCount = 5;
// Rows in the first hand-over: enough to fill the window's first view.
const int firstRows = 1024;

using Connection = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;
using Cancel = std::unique_ptr<PGcancel, decltype(&PQfreeCancel)>;
using CopyLine = std::unique_ptr<char, decltype(&PQfreemem)>;

// True when the server's socket became ready within pollMs.
bool waitFor(PGconn *pg, short events)
{
    pollfd socket = {PQsocket(pg), events, 0};
    return poll(&socket, 1, pollMs) > 0;
}

QString messageOf(PGconn *pg)
{
    return QString::fromUtf8(PQerrorMessage(pg)).trimmed();
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A field of COPY's text format with its backslash escapes undone; "\N" (SQL
// NULL, which our table does not allow) reads as empty. Without a backslash,
// the common case, the field is used where it lies; else it is unescaped into
// scratch.
std::string_view copyField(const char *text, int length, QByteArray &scratch)
{
    if (!std::memchr(text, '\\', size_t(length)))
        return std::string_view(text, size_t(length));
    if (length == 2 && text[1] == 'N')
        return std::string_view();
    static const char plain[] = "b\bf\fn\nr\rt\tv\v";
    scratch.clear();
    for (int i = 0; i < length; ++i) {
        if (text[i] != '\\' || i + 1 == length) {
            scratch.append(text[i]);
            continue;
        }
        const char c = text[++i];
        const char *named = std::strchr(plain, c);
        if (c && named && (named - plain) % 2 == 0) {
            scratch.append(named[1]);
        } else if (c >= '0' && c <= '7') {
            int value = c - '0';
            for (int n = 1; n < 3 && i + 1 < length && text[i + 1] >= '0' && text[i + 1] <= '7'; ++n)
                value = value * 8 + (text[++i] - '0');
            scratch.append(char(value));
        } else if (c == 'x' && i + 1 < length && hexDigit(text[i + 1]) >= 0) {
            int value = hexDigit(text[++i]);
            if (i + 1 < length && hexDigit(text[i + 1]) >= 0)
                value = value * 16 + hexDigit(text[++i]);
            scratch.append(char(value));
        } else {
            scratch.append(c);
        }
    }
    return std::string_view(scratch.constData(), size_t(scratch.size()));
}

}  // namespace

const char RangeReader::applicationName[] = "quorvane range reader";

bool RangeReader::appendCopyLine(StoredRows &rows, const char *line, int length)
{
    if (length > 0 && line[length - 1] == '\n')
        --length;
    static thread_local QByteArray scratch[columnCount];
    std::string_view fields[columnCount];
    int count = 0;
    int begin = 0;
    for (int i = 0; i <= length; ++i) {
        if (i < length && line[i] != '\t')
            continue;
        if (count == columnCount)
            return false;
        fields[count] = copyField(line + begin, i - begin, scratch[count]);
        ++count;
        begin = i + 1;
    }
    if (count != columnCount)
        return false;
    const std::string_view time = fields[4];
    rows.appendUtf8(time.empty() ? StoredRows::noTime
                                 : StoredRows::timestampKey(time.data(), int(time.size())),
        fields[1], fields[2], fields[0], StoredRows::rangeNumber(fields[3]));
    return true;
}

RangeReader::RangeReader(QObject *parent) : QObject(parent)
{
}

RangeReader::~RangeReader()
{
    if (worker) {
        cancelRequested = true;
        worker->wait();
    }
}

bool RangeReader::start(
    const Database::Settings &settings, const QDateTime &start, const QDateTime &stop)
{
    if (worker)
        return false;
    cancelRequested = false;
    current = State::Waiting;
    error.clear();
    collected = StoredRows();
    collectedCount = 0;
    takeRows();
    worker.reset(QThread::create([this, settings, start, stop] {
        const State outcome = read(settings, start, stop);
        handOver();
        QMetaObject::invokeMethod(this, [this, outcome] { conclude(outcome); }, Qt::QueuedConnection);
    }));
    worker->start();
    report(0);
    return true;
}

void RangeReader::cancel()
{
    if (worker)
        cancelRequested = true;
}

StoredRows RangeReader::takeRows()
{
    const QMutexLocker lock(&handOverLock);
    readyTold = false;
    return std::exchange(handedOver, StoredRows());
}

// In the worker: the rows collected so far become the caller's.
void RangeReader::handOver()
{
    sinceHandOver.start();
    if (collected.isEmpty())
        return;
    collected.finish();
    const QMutexLocker lock(&handOverLock);
    handedOver.append(std::move(collected));
    if (!readyTold) {
        readyTold = true;
        QMetaObject::invokeMethod(this, &RangeReader::rowsReady, Qt::QueuedConnection);
    }
}

void RangeReader::report(int rows)
{
    QMetaObject::invokeMethod(
        this,
        [this, rows] {
            if (rows > 0 && current == State::Waiting)
                current = State::Reading;
            emit progress(rows);
        },
        Qt::QueuedConnection);
}

void RangeReader::conclude(State outcome)
{
    worker->wait();
    worker.reset();
    current = outcome;
    error = outcome == State::Failed ? failure : QString();
    emit finished();
}

RangeReader::State RangeReader::read(
    const Database::Settings &settings, const QDateTime &start, const QDateTime &stop)
{
    // Timestamps in the form timestampKey() reads fastest, texts in UTF-8,
    // and a name that tells this session apart on the server.
    const ConnectionService::Keywords keywords = ConnectionService::keywords(settings, applicationName);
    Connection connection(PQconnectStartParams(keywords.names().data(), keywords.values().data(), 0), &PQfinish);
    PGconn *pg = connection.get();
    if (!pg || PQstatus(pg) == CONNECTION_BAD) {
        failure = pg ? messageOf(pg) : tr("Out of memory.");
        return State::Failed;
    }
    QElapsedTimer connecting;
    connecting.start();
    PostgresPollingStatusType polling = PGRES_POLLING_WRITING;
    while (polling != PGRES_POLLING_OK) {
        if (polling == PGRES_POLLING_FAILED) {
            failure = messageOf(pg);
            return State::Failed;
        }
        if (cancelRequested)
            return State::Cancelled;
        if (connecting.elapsed() > connectTimeoutMs) {
            failure = tr("The database server did not answer.");
            return State::Failed;
        }
        if (waitFor(pg, polling == PGRES_POLLING_READING ? POLLIN : POLLOUT))
            polling = PQconnectPoll(pg);
    }

    const Cancel canceller(PQgetCancel(pg), &PQfreeCancel);
    for (bool orderByKey : {true, false}) {
        const QByteArray statement
            = "copy (" + Database::rangeSelect(start, stop, orderByKey).toUtf8() + ") to stdout";
        switch (copyRows(pg, canceller.get(), statement)) {
        case Outcome::Done:
            return State::Finished;
        case Outcome::MissingKey:
            continue;
        case Outcome::Cancelled:
            return State::Cancelled;
        case Outcome::Failed:
            return State::Failed;
        }
    }
    return State::Failed;
}

// Runs one COPY of the range and appends its rows. A cancel is sent to the
// server at once, so a query still waiting for a lock or sorting stops
// there; the connection is then dropped without reading on.
RangeReader::Outcome RangeReader::copyRows(PGconn *pg, PGcancel *canceller, const QByteArray &statement)
{
    const auto cancelled = [this, canceller] {
        if (!cancelRequested.load(std::memory_order_relaxed))
            return false;
        char reason[256];
        PQcancel(canceller, reason, int(sizeof reason));
        return true;
    };
    collected = StoredRows();
    collectedCount = 0;
    if (!PQsendQuery(pg, statement.constData())) {
        failure = messageOf(pg);
        return Outcome::Failed;
    }
    // The server's own work: planning, waiting for locks, sorting.
    while (PQisBusy(pg)) {
        if (cancelled())
            return Outcome::Cancelled;
        if (waitFor(pg, POLLIN) && !PQconsumeInput(pg)) {
            failure = messageOf(pg);
            return Outcome::Failed;
        }
    }
    Result result(PQgetResult(pg), &PQclear);
    if (PQresultStatus(result.get()) == PGRES_COPY_OUT) {
        int &count = collectedCount;
        sinceHandOver.start();
        for (;;) {
            char *buffer = nullptr;
            const int length = PQgetCopyData(pg, &buffer, 1);
            if (length > 0) {
                const CopyLine line(buffer, &PQfreemem);
                if (!appendCopyLine(collected, line.get(), length)) {
                    failure = tr("The server sent a row that could not be read.");
                    return Outcome::Failed;
                }
                ++count;
                if (count >= StoredRows::maxRows || collected.isFull()) {
                    cancelRequested = true;
                    cancelled();
                    failure = tr("The range holds more than %1 rows; choose a shorter one.")
                                  .arg(StoredRows::maxRows);
                    return Outcome::Failed;
                }
                // Whole chunks, the first few rows at once, and else what
                // came within handOverMs.
                if (collected.openRows() == StoredRows::chunkRows || count == firstRows
                    || (count % 1024 == 0 && sinceHandOver.elapsed() >= handOverMs))
                    handOver();
                if (count % progressStep == 0)
                    report(count);
                if (cancelled())
                    return Outcome::Cancelled;
            } else if (length == 0) {
                if (sinceHandOver.elapsed() >= handOverMs)
                    handOver();
                if (cancelled())
                    return Outcome::Cancelled;
                if (waitFor(pg, POLLIN) && !PQconsumeInput(pg)) {
                    failure = messageOf(pg);
                    return Outcome::Failed;
                }
            } else {
                break;
            }
        }
        result.reset(PQgetResult(pg));
    }
    if (cancelled())
        return Outcome::Cancelled;
    const ExecStatusType status = PQresultStatus(result.get());
    const QByteArray code = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
    if (status != PGRES_COMMAND_OK)
        failure = QString::fromUtf8(PQresultErrorMessage(result.get())).trimmed();
    // Anything after the COPY's own result is read away, so the connection
    // is ready for the next statement.
    while (PGresult *rest = PQgetResult(pg))
        PQclear(rest);
    if (status == PGRES_COMMAND_OK)
        return Outcome::Done;
    if (code == Database::undefinedColumn)
        return Outcome::MissingKey;
    if (failure.isEmpty())
        failure = messageOf(pg);
    return Outcome::Failed;
}
