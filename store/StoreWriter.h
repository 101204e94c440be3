#ifndef STOREWRITER_H
#define STOREWRITER_H

#include "store/ReadingSpool.h"

#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class QSqlDatabase;
struct pg_conn;
struct pg_result;

// Moves the spool's readings into table "invoice" on a thread and a
// connection of its own, so nothing the server does (an outage, a held lock,
// a hung server) holds up the window. Every statement has a time limit;
// running over it counts as an outage. Readings go in batches, each in one
// transaction; a batch the server refuses stays queued and is retried after
// a growing pause, except a record refused for its own content, which is set
// aside. The connection is made from the program's one store connection, so
// it uses the same settings.
class StoreWriter
{
public:
    // The server cancels a statement after this long, and the writer gives
    // up on an answer a little later (a server that hangs does not cancel).
    static const int statementTimeoutMs = 2000;
    static const int answerTimeoutMs = 3000;
    static const int firstPauseMs = 500;
    static const int longestPauseMs = 5000;
    static const int batchSize = 500;

    // Connects as the named Qt connection does.
    StoreWriter(ReadingSpool &spool, const QString &connectionName);
    ~StoreWriter();
    StoreWriter(const StoreWriter &) = delete;
    StoreWriter &operator=(const StoreWriter &) = delete;

    void start();
    // New readings are in the spool.
    void wake();
    // Waits until the spool is empty, at most for the given time; true when it is.
    bool waitStored(int timeoutMs);

    // Why readings are not stored now, in one line; empty while they are.
    QString failure() const;
    // Why the server cannot be reached; empty once it is.
    QString connectFailure() const;
    bool hasConnected() const { return everConnected; }

    // A server's or libpq's message in one line, without the address
    // libpq tried and without its severity.
    static QString oneLine(const QString &message);
    // SQLSTATEs of a record the server refuses for its own content.
    static bool aboutTheRecord(const QByteArray &sqlState);

private:
    enum class Outcome { Stored, Refused, Rejected, Lost, Unknown };
    // What the server says about an earlier transaction.
    enum class Answer { Committed, NeverCommitted, Running, NoAnswer };

    void run();
    void work(QSqlDatabase &connection);
    pg_conn *connectTo(QSqlDatabase &connection);
    bool settleEarlier(pg_conn *pg);
    Answer askCommitted(pg_conn *pg, qint64 xid);
    Outcome send(pg_conn *pg, const QList<ReadingSpool::Entry> &entries);
    Outcome refusal(pg_conn *pg, pg_result *result);
    pg_result *call(pg_conn *pg, const char *statement, int count = 0, const char *const *values = nullptr);
    void report(const QString &reason, bool connecting = false);
    bool pause(int ms);

    ReadingSpool &spool;
    const QString source;
    std::thread worker;
    mutable std::mutex lock;
    std::condition_variable wakeUp;
    std::condition_variable drained;
    bool pendingWork = false;
    bool stopping = false;
    QString reason;
    bool reasonIsConnect = false;
    std::atomic<bool> everConnected{false};

    // Writer-thread state.
    QString lastError;
    qint64 lastXid = 0;
};

#endif
