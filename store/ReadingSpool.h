#ifndef READINGSPOOL_H
#define READINGSPOOL_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// The readings not yet stored, kept in a file so that neither an outage nor
// the end of the program loses them. Every reading is appended as it is
// taken ("R seq texts") and counts as stored only once the server has
// committed it. Around each commit the file tells which readings went in
// which server transaction:
//   "B first last xid"   written and flushed to disk before COMMIT,
//   "A first last"       written once COMMIT succeeded.
// A batch with a B line and no A line was cut off between the two; only the
// server knows whether that transaction committed, so it is asked (settle())
// before anything else is sent. A reading is thus neither lost nor stored
// twice, whenever the program is killed.
//
// append() is called from one thread (the sampling tick), everything else
// from the writer's thread; a thread of the spool's own flushes the file to
// disk a few times a second.
class ReadingSpool
{
public:
    struct Entry
    {
        qint64 seq = 0;
        QStringList values;
        // False for a reading the file could not take; a kill loses it.
        bool onDisk = true;
    };
    struct Batch
    {
        qint64 first = 0;
        qint64 last = 0;
        qint64 xid = 0;
        bool operator==(const Batch &other) const
        {
            return first == other.first && last == other.last && xid == other.xid;
        }
    };

    static const char fileName[];
    // Records the server refused for their own content, with its reason.
    static const char setAsideFileName[];
    // Readings held in memory while the file cannot take them; more are lost
    // (and counted).
    static const int maxUnspooled = 100000;
    // How often appended readings are flushed to disk.
    static const int syncIntervalMs = 250;
    // Once everything in it is stored, a file this long is emptied.
    static const qint64 compactBytes = 64 * 1024;

    explicit ReadingSpool(const QString &directory);
    ~ReadingSpool();
    ReadingSpool(const ReadingSpool &) = delete;
    ReadingSpool &operator=(const ReadingSpool &) = delete;

    // Reads what an earlier run left and starts the flushing. False when the
    // file cannot be used; readings are then held in memory.
    bool open();
    QString directory() const { return folder; }

    // Why the file cannot be written now; empty while it can.
    QString errorString() const;
    // Readings kept and not yet stored.
    int count() const;
    // Readings that could be kept neither on disk nor in memory.
    int lostCount() const;
    // Records set aside in this run.
    int setAsideCount() const;

    void append(const QStringList &values);

    // Batches of an earlier run whose outcome only the server knows; nothing
    // is taken while there are any.
    QVector<Batch> openBatches() const;
    void settle(const Batch &batch, bool committed);
    // The oldest readings not taken yet, all on disk or all not.
    QList<Entry> take(int max);
    // Written and flushed before COMMIT; false when it could not be.
    bool markBatch(const Batch &batch);
    // The server committed these readings, taken before.
    void acknowledge(const QList<Entry> &entries);
    // The server refused this record for its content: it goes to the
    // set-aside file with the reason and leaves the spool.
    bool setAside(const Entry &entry, const QString &reason);

private:
    using Range = std::pair<qint64, qint64>;

    QString fileError(const QString &path = QString()) const;
    bool writeLine(const QByteArray &line);
    bool skipped(qint64 seq) const;
    bool covered(qint64 first, qint64 last) const;
    void skip(const QVector<Range> &ranges);
    void syncLoop();

    const QString folder;
    int fd = -1;

    mutable std::mutex lock;
    qint64 fileSize = 0;
    qint64 readOffset = 0;
    // Just past the newest reading in the file.
    qint64 readingsEnd = 0;
    qint64 lastSeq = 0;
    int pending = 0;
    // Taken from the file and not yet acknowledged.
    int inFlight = 0;
    int lost = 0;
    int setAsideTotal = 0;
    QString error;
    std::deque<Entry> unspooled;
    QVector<Batch> unsettled;
    // Pending readings each unsettled batch holds.
    QVector<int> unsettledCounts;
    // Sorted, disjoint: readings in the file that are already stored.
    QVector<Range> stored;

    std::condition_variable wake;
    bool dirty = false;
    bool stopping = false;
    std::thread syncer;
};

#endif
