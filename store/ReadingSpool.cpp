#include "store/ReadingSpool.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

const char ReadingSpool::fileName[] = "readings.spool";
const char ReadingSpool::setAsideFileName[] = "readings.set-aside";

namespace {
const int columnCount = 5;

// Texts are kept on one line: backslash, tab and newline are escaped.
QByteArray escaped(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\\', "\\\\").replace('\t', "\\t").replace('\n', "\\n");
    return bytes;
}

QString unescaped(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (int i = 0; i < bytes.size(); ++i) {
        char c = bytes.at(i);
        if (c == '\\' && i + 1 < bytes.size()) {
            c = bytes.at(++i);
            c = c == 't' ? '\t' : c == 'n' ? '\n' : c;
        }
        out.append(c);
    }
    return QString::fromUtf8(out);
}

QByteArray readingLine(qint64 seq, const QStringList &values)
{
    QByteArray line = "R\t" + QByteArray::number(seq);
    for (const QString &value : values)
        line += '\t' + escaped(value);
    return line + '\n';
}

QByteArray batchLine(char kind, qint64 first, qint64 last, qint64 xid = -1)
{
    QByteArray line = QByteArray(1, kind) + '\t' + QByteArray::number(first) + '\t' + QByteArray::number(last);
    if (xid >= 0)
        line += '\t' + QByteArray::number(xid);
    return line + '\n';
}

// One line without its newline; false for anything that is not a whole
// record (a line cut off by a kill, say).
bool parseLine(const QByteArray &line, char *kind, qint64 numbers[3], ReadingSpool::Entry *entry)
{
    const QList<QByteArray> fields = line.split('\t');
    if (fields.isEmpty() || fields.first().size() != 1)
        return false;
    *kind = fields.first().at(0);
    const int wanted = *kind == 'R' ? 2 + columnCount : *kind == 'B' ? 4 : *kind == 'A' ? 3 : -1;
    if (fields.size() != wanted)
        return false;
    bool ok = true;
    const int numbered = *kind == 'R' ? 2 : wanted;
    for (int i = 1; i < numbered && ok; ++i)
        numbers[i - 1] = fields.at(i).toLongLong(&ok);
    if (!ok || (*kind == 'R' && !entry))
        return ok;
    if (*kind == 'R') {
        entry->seq = numbers[0];
        entry->values.clear();
        for (int i = 2; i < fields.size(); ++i)
            entry->values << unescaped(fields.at(i));
    }
    return ok;
}
}

ReadingSpool::ReadingSpool(const QString &directory)
    : folder(directory)
{
}

ReadingSpool::~ReadingSpool()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_all();
    if (syncer.joinable())
        syncer.join();
    if (fd >= 0) {
        ::fdatasync(fd);
        ::close(fd);
    }
}

bool ReadingSpool::open()
{
    std::lock_guard<std::mutex> guard(lock);
    if (!QDir().mkpath(folder)) {
        errno = EACCES;
        error = fileError(folder);
        return false;
    }
    fd = ::open(QFile::encodeName(folder + QLatin1Char('/') + QLatin1String(fileName)).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = fileError();
        return false;
    }
    QByteArray content;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    content.resize(int(std::max<off_t>(size, 0)));
    if (size < 0 || ::pread(fd, content.data(), size_t(content.size()), 0) != content.size()) {
        error = fileError();
        ::close(fd);
        fd = -1;
        return false;
    }
    // A line cut off by a kill would swallow the next reading appended.
    content.truncate(content.lastIndexOf('\n') + 1);
    if (content.size() != size && ::ftruncate(fd, content.size()) != 0)
        error = fileError();
    fileSize = readingsEnd = content.size();

    QVector<qint64> readings;
    QVector<Range> acknowledged;
    QVector<Batch> batches;
    for (int from = 0; from < content.size();) {
        const int newline = content.indexOf('\n', from);
        char kind = 0;
        qint64 numbers[3] = {0, 0, 0};
        if (parseLine(content.mid(from, newline - from), &kind, numbers, nullptr)) {
            if (kind == 'R')
                readings << numbers[0];
            else if (kind == 'A')
                acknowledged << Range(numbers[0], numbers[1]);
            else
                batches << Batch{numbers[0], numbers[1], numbers[2]};
        }
        from = newline + 1;
    }
    skip(acknowledged);
    // Only batches without their acknowledgement can hold pending readings.
    QVector<Batch> unanswered;
    for (const Batch &batch : qAsConst(batches)) {
        if (!covered(batch.first, batch.last))
            unanswered << batch;
    }
    for (qint64 seq : qAsConst(readings)) {
        lastSeq = std::max(lastSeq, seq);
        if (skipped(seq))
            continue;
        ++pending;
        for (const Batch &batch : qAsConst(unanswered)) {
            if (seq < batch.first || seq > batch.last)
                continue;
            const int at = unsettled.indexOf(batch);
            if (at < 0) {
                unsettled << batch;
                unsettledCounts << 1;
            } else {
                ++unsettledCounts[at];
            }
        }
    }
    syncer = std::thread(&ReadingSpool::syncLoop, this);
    return true;
}

QString ReadingSpool::errorString() const
{
    std::lock_guard<std::mutex> guard(lock);
    return error;
}

int ReadingSpool::count() const
{
    std::lock_guard<std::mutex> guard(lock);
    return pending;
}

int ReadingSpool::lostCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return lost;
}

int ReadingSpool::setAsideCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return setAsideTotal;
}

void ReadingSpool::append(const QStringList &values)
{
    std::lock_guard<std::mutex> guard(lock);
    const qint64 seq = ++lastSeq;
    // Behind readings held in memory, so the order stays as taken.
    if (unspooled.empty() && writeLine(readingLine(seq, values))) {
        // The file takes readings again.
        error.clear();
        readingsEnd = fileSize;
        ++pending;
    } else if (unspooled.size() < size_t(maxUnspooled)) {
        unspooled.push_back(Entry{seq, values, false});
        ++pending;
    } else {
        ++lost;
    }
}

QVector<ReadingSpool::Batch> ReadingSpool::openBatches() const
{
    std::lock_guard<std::mutex> guard(lock);
    return unsettled;
}

void ReadingSpool::settle(const Batch &batch, bool committed)
{
    std::lock_guard<std::mutex> guard(lock);
    const int at = unsettled.indexOf(batch);
    if (at < 0)
        return;
    if (committed) {
        pending -= unsettledCounts.at(at);
        skip({Range(batch.first, batch.last)});
        writeLine(batchLine('A', batch.first, batch.last));
    }
    unsettled.remove(at);
    unsettledCounts.remove(at);
}

QList<ReadingSpool::Entry> ReadingSpool::take(int max)
{
    std::lock_guard<std::mutex> guard(lock);
    QList<Entry> taken;
    if (!unsettled.isEmpty())
        return taken;
    while (taken.size() < max && fd >= 0 && readOffset < fileSize) {
        QByteArray chunk(int(std::min<qint64>(fileSize - readOffset, 65536)), Qt::Uninitialized);
        if (::pread(fd, chunk.data(), size_t(chunk.size()), readOffset) != chunk.size()) {
            error = fileError();
            break;
        }
        int from = 0;
        for (int newline; taken.size() < max && (newline = chunk.indexOf('\n', from)) >= 0; from = newline + 1) {
            char kind = 0;
            qint64 numbers[3];
            Entry entry;
            if (parseLine(chunk.mid(from, newline - from), &kind, numbers, &entry) && kind == 'R'
                && !skipped(entry.seq))
                taken << entry;
        }
        if (from == 0)
            break;
        readOffset += from;
    }
    inFlight += taken.size();
    while (taken.isEmpty() && !unspooled.empty() && taken.size() < max) {
        taken << unspooled.front();
        unspooled.pop_front();
    }
    return taken;
}

bool ReadingSpool::markBatch(const Batch &batch)
{
    int file;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (!writeLine(batchLine('B', batch.first, batch.last, batch.xid)))
            return false;
        file = fd;
    }
    if (::fdatasync(file) == 0)
        return true;
    std::lock_guard<std::mutex> guard(lock);
    error = fileError();
    return false;
}

void ReadingSpool::acknowledge(const QList<Entry> &entries)
{
    if (entries.isEmpty())
        return;
    std::lock_guard<std::mutex> guard(lock);
    pending -= entries.size();
    if (!entries.first().onDisk)
        return;
    inFlight -= entries.size();
    // Lost, the line only costs a question to the server at the next start.
    writeLine(batchLine('A', entries.first().seq, entries.last().seq));
    if (inFlight == 0 && readOffset >= readingsEnd && unspooled.empty() && unsettled.isEmpty()
        && fileSize >= compactBytes && ::ftruncate(fd, 0) == 0)
        fileSize = readOffset = readingsEnd = 0;
}

bool ReadingSpool::setAside(const Entry &entry, const QString &reason)
{
    QFile file(folder + QLatin1Char('/') + QLatin1String(setAsideFileName));
    QByteArray line;
    for (const QString &value : entry.values)
        line += escaped(value) + '\t';
    line += escaped(reason) + '\n';
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(line) == line.size()
                         && file.flush() && ::fdatasync(file.handle()) == 0;
    if (!written) {
        std::lock_guard<std::mutex> guard(lock);
        error = fileError(file.fileName());
        return false;
    }
    acknowledge({entry});
    std::lock_guard<std::mutex> guard(lock);
    ++setAsideTotal;
    return true;
}

bool ReadingSpool::writeLine(const QByteArray &line)
{
    if (fd < 0)
        return false;
    for (qint64 done = 0; done < line.size();) {
        const ssize_t written = ::write(fd, line.constData() + done, size_t(line.size() - done));
        if (written > 0) {
            done += written;
            continue;
        }
        if (written == 0)
            errno = ENOSPC;
        error = fileError();
        // A partial line would spoil the next one.
        if (done > 0 && ::ftruncate(fd, fileSize) != 0)
            error = fileError();
        return false;
    }
    fileSize += line.size();
    dirty = true;
    return true;
}

QString ReadingSpool::fileError(const QString &path) const
{
    return QStringLiteral("%1: %2").arg(path.isEmpty() ? folder + QLatin1Char('/') + QLatin1String(fileName) : path,
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

bool ReadingSpool::skipped(qint64 seq) const
{
    return covered(seq, seq);
}

bool ReadingSpool::covered(qint64 first, qint64 last) const
{
    auto after = std::upper_bound(stored.begin(), stored.end(), first,
        [](qint64 value, const Range &range) { return value < range.first; });
    return after != stored.begin() && last <= (after - 1)->second;
}

void ReadingSpool::skip(const QVector<Range> &ranges)
{
    stored += ranges;
    std::sort(stored.begin(), stored.end());
    QVector<Range> merged;
    for (const Range &next : qAsConst(stored)) {
        if (!merged.isEmpty() && next.first <= merged.last().second + 1)
            merged.last().second = std::max(merged.last().second, next.second);
        else
            merged << next;
    }
    stored = merged;
}

void ReadingSpool::syncLoop()
{
    std::unique_lock<std::mutex> guard(lock);
    while (!stopping) {
        wake.wait_for(guard, std::chrono::milliseconds(syncIntervalMs));
        if (!dirty || fd < 0)
            continue;
        dirty = false;
        const int file = fd;
        guard.unlock();
        const bool synced = ::fdatasync(file) == 0;
        guard.lock();
        if (!synced)
            error = fileError();
    }
}
