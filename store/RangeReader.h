#ifndef RANGEREADER_H
#define RANGEREADER_H

#include "store/Database.h"
#include "store/StoredRows.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;
struct pg_conn;
struct pg_cancel;

// Reads every stored reading of a time range, both ends included, in time
// order, on a connection and thread of its own, straight into compact rows:
// the server's result is streamed, never held whole. Progress is told from
// the start, the server's own work included; cancel() stops the query on the
// server. Used from the thread it lives in; its signals arrive there.
class RangeReader : public QObject
{
    Q_OBJECT
public:
    enum class State { Idle, Waiting, Reading, Finished, Failed, Cancelled };

    // Rows between two progress reports.
    static constexpr int progressStep = 65536;
    // The name its sessions carry on the server.
    static const char applicationName[];
    // How long reaching the server may take.
    static constexpr int connectTimeoutMs = 10000;

    // Called in the reader's own thread after each batch of rows with the
    // rows so far and the first row of the batch, so work on the rows can
    // go on while the server sends more; a batch from row 0 starts over.
    // What it touches must be left alone by others until finished().
    using BatchHook = std::function<void(const StoredRows &rows, int from)>;

    explicit RangeReader(QObject *parent = nullptr);
    ~RangeReader() override;

    // Set before start().
    void setBatchHook(BatchHook hook);

    // Starts reading; false when a read is already running.
    bool start(const Database::Settings &settings, const QDateTime &start, const QDateTime &stop);
    // Stops a running read, on the server too; finished() follows with
    // Cancelled and no rows.
    void cancel();

    State state() const { return current; }
    bool isRunning() const { return current == State::Waiting || current == State::Reading; }
    // Why the last read failed.
    QString errorString() const { return error; }
    // The rows of a Finished read; the reader keeps none.
    StoredRows takeRows();

signals:
    // Rows read so far; 0 while the server is still working on the query.
    void progress(int rows);
    // The read is over; state() tells how.
    void finished();

private:
    enum class Outcome { Done, MissingKey, Failed, Cancelled };

    State read(const Database::Settings &settings, const QDateTime &start, const QDateTime &stop);
    Outcome copyRows(pg_conn *pg, pg_cancel *canceller, const QByteArray &statement);
    void report(int rows);
    void conclude(State outcome);

    std::unique_ptr<QThread> worker;
    State current = State::Idle;
    QString error;
    // Written by the worker thread only, until it reports the end.
    StoredRows collected;
    QString failure;
    BatchHook batchHook;
    std::atomic<bool> cancelRequested{false};
};

#endif
