#ifndef RANGEREADER_H
#define RANGEREADER_H

#include "store/Database.h"
#include "store/StoredRows.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;
struct pg_conn;
struct pg_cancel;

// Reads every stored reading of a time range, both ends included, in the
// order they were recorded, on a connection and thread of its own, straight
// into compact rows: the server's result is streamed, never held whole.
// Progress is told from the start, the server's own work included; cancel()
// stops the query on the server.
//
// Threads: the reader is used from the thread it lives in, and its signals
// arrive there. Its worker thread fills rows of its own and hands them over
// in finished chunks (StoredRows' contract), at least every handOverMs while
// rows come; rowsReady() then tells that takeRows() has rows. Nothing the
// caller holds is touched by the worker.
class RangeReader : public QObject
{
    Q_OBJECT
public:
    enum class State { Idle, Waiting, Reading, Finished, Failed, Cancelled };

    // Rows between two progress reports.
    static constexpr int progressStep = 65536;
    // Longest wait before rows read are handed over.
    static constexpr int handOverMs = 100;
    // The name its sessions carry on the server.
    static const char applicationName[];
    // How long reaching the server may take.
    static constexpr int connectTimeoutMs = 10000;

    // One line of COPY's text output (five tab-separated fields, escapes
    // undone, a line feed at the end or not) appended as a row; false for
    // a line of another shape.
    static bool appendCopyLine(StoredRows &rows, const char *line, int length);

    explicit RangeReader(QObject *parent = nullptr);
    ~RangeReader() override;

    // Starts reading; false when a read is already running.
    bool start(const Database::Settings &settings, const QDateTime &start, const QDateTime &stop);
    // Stops a running read, on the server too; finished() follows with
    // Cancelled. Rows handed over before stay the caller's.
    void cancel();

    State state() const { return current; }
    bool isRunning() const { return current == State::Waiting || current == State::Reading; }
    // Why the last read failed.
    QString errorString() const { return error; }
    // The rows handed over and not yet taken; the reader keeps none. After
    // finished() (in any state) every row read has been handed over.
    StoredRows takeRows();

signals:
    // Rows read so far; 0 while the server is still working on the query.
    void progress(int rows);
    // takeRows() has rows; not repeated until they are taken.
    void rowsReady();
    // The read is over; state() tells how.
    void finished();

private:
    enum class Outcome { Done, MissingKey, Failed, Cancelled };

    State read(const Database::Settings &settings, const QDateTime &start, const QDateTime &stop);
    Outcome copyRows(pg_conn *pg, pg_cancel *canceller, const QByteArray &statement);
    void report(int rows);
    void handOver();
    void conclude(State outcome);

    std::unique_ptr<QThread> worker;
    State current = State::Idle;
    QString error;
    // Written by the worker thread only, until it reports the end.
    StoredRows collected;
    int collectedCount = 0;
    QElapsedTimer sinceHandOver;
    QString failure;
    std::atomic<bool> cancelRequested{false};
    // Rows handed over, guarded by handOverLock.
    QMutex handOverLock;
    StoredRows handedOver;
    bool readyTold = false;
};

#endif
