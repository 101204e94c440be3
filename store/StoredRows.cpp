#include "store/StoredRows.h"

#include "meter/StoredReading.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QTime>

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

const qint64 StoredRows::noTime = std::numeric_limits<qint64>::min();

namespace {
const qint64 SecondsPerDay = 86400;
// Leaves room below the 2 GB a byte array can hold for one more text.
const int maxValueBytes = 1 << 30;
// A row without a time.
const qint32 noDelta = std::numeric_limits<qint32>::min();

int digits(const char *text, int count)
{
    int number = 0;
    for (int i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        number = number * 10 + (text[i] - '0');
    }
    return number;
}
}  // namespace

// The table shows the stored clock time as it is, so no conversion is needed.
qint64 StoredRows::timeKey(const QDateTime &time)
{
    if (!time.isValid())
        return noTime;
    return time.date().toJulianDay() * SecondsPerDay + time.time().msecsSinceStartOfDay() / 1000;
}

QDateTime StoredRows::localTime(qint64 key)
{
    if (key == noTime)
        return QDateTime();
    return QDateTime(QDate::fromJulianDay(key / SecondsPerDay),
        QTime::fromMSecsSinceStartOfDay(int(key % SecondsPerDay) * 1000));
}

// Written digit by digit: a table scrolled through or exported calls this
// once per row, and QDate's own formatting costs several times more.
QString StoredRows::timeText(qint64 key)
{
    if (key == noTime)
        return QString();
    int year = 0;
    int month = 0;
    int day = 0;
    QDate::fromJulianDay(key / SecondsPerDay).getDate(&year, &month, &day);
    if (year < 0 || year > 9999)
        return localTime(key).toString(QLatin1String(StoredReading::timeFormat));
    const int seconds = int(key % SecondsPerDay);
    const int fields[] = {year / 100, year % 100, -1, month, -1, day, -2, seconds / 3600, -3,
        seconds / 60 % 60, -3, seconds % 60};
    QChar text[19];
    int length = 0;
    for (int field : fields) {
        if (field >= 0) {
            text[length++] = QLatin1Char(char('0' + field / 10));
            text[length++] = QLatin1Char(char('0' + field % 10));
        } else {
            text[length++] = QLatin1Char(field == -1 ? '-' : field == -2 ? ' ' : ':');
        }
    }
    return QString(text, length);
}

qint64 StoredRows::timestampKey(const char *text, int length)
{
    if (length >= 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':'
        && text[16] == ':' && (length == 19 || text[19] == '.')) {
        const QDate date(digits(text, 4), digits(text + 5, 2), digits(text + 8, 2));
        const int hour = digits(text + 11, 2);
        const int minute = digits(text + 14, 2);
        const int second = digits(text + 17, 2);
        if (date.isValid() && QTime::isValid(hour, minute, second, 0))
            return date.toJulianDay() * SecondsPerDay + hour * 3600 + minute * 60 + second;
    }
    return timeKey(QDateTime::fromString(QString::fromLatin1(text, length), Qt::ISODate));
}

int StoredRows::rangeNumber(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    int number = 0;
    for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        number = number * 10 + (text[i] - '0');
    }
    return negative ? -number : number;
}

namespace {
// Value texts are mostly digits, a point, a sign and the overload letters:
// such a text is kept as two characters a byte.
const char packedDigits[] = "0123456789.- LO";
const int packedEnd = 15;
// A row's length byte: below rawLength the bytes of a packed text, from
// rawLength the bytes of a text kept as it is, and longLength for a longer
// text whose length comes first as four bytes.
const int rawLength = 128;
const int longLength = 255;
// Rows of a block, which has one time and one offset into the value bytes.
const int offsetShift = 4;
// A row without a time.
const quint16 noOffset = 0xFFFF;

int packedCode(char c)
{
    const char *found = c ? std::strchr(packedDigits, c) : nullptr;
    return found ? int(found - packedDigits) : -1;
}
}  // namespace

struct StoredRows::Chunk
{
    qint64 base = noTime;  // time of the first row with one
    // Per block of 16 rows: its first time as seconds from base, and its
    // value bytes' offset. Per row: seconds from its block's first time
    // (noOffset without a time), and the length byte of its value.
    QVector<qint32> blockTimes;
    QVector<quint32> offsets;
    QVector<quint16> times;
    QByteArray lengths;
    QByteArray values;
    // Rows from index first on are of kind; kinds change seldom.
    struct Run
    {
        int first;
        int kind;
    };
    QVector<Run> runs;
    QVector<Kind> kindTable;
    // Only while collecting.
    QHash<QByteArray, quint16> kindIndex;
    QByteArray lastFunction;
    QByteArray lastUnit;
    int lastRange = 0;
    int lastKind = -1;

    // True when a row of this time fits.
    bool takes(qint64 time) const
    {
        if (times.size() >= chunkRows)
            return false;
        if (time == noTime || base == noTime)
            return true;
        const qint64 delta = time - base;
        if (delta <= noDelta || delta > std::numeric_limits<qint32>::max())
            return false;
        // A row that begins a block sets the block's time.
        if (times.size() % (1 << offsetShift) == 0 || blockTimes.constLast() == noDelta)
            return true;
        const qint64 fromBlock = delta - blockTimes.constLast();
        return fromBlock >= 0 && fromBlock < noOffset;
    }

    void appendTime(qint64 time)
    {
        if (base == noTime)
            base = time;
        const qint32 delta = time == noTime ? noDelta : qint32(time - base);
        if (times.size() % (1 << offsetShift) == 0)
            blockTimes.append(delta);
        else if (blockTimes.constLast() == noDelta)
            blockTimes.last() = delta;
        const qint32 block = blockTimes.constLast();
        times.append(delta == noDelta ? noOffset : quint16(delta - block));
    }

    qint64 time(int index) const
    {
        const quint16 fromBlock = times.at(index);
        return fromBlock == noOffset ? noTime : base + blockTimes.at(index >> offsetShift) + fromBlock;
    }

    void appendValue(std::string_view text)
    {
        const int row = times.size();
        if (row % (1 << offsetShift) == 0)
            offsets.append(quint32(values.size()));
        bool packable = int(text.size()) < 2 * rawLength - 1;
        for (size_t i = 0; packable && i < text.size(); ++i)
            packable = packedCode(text[i]) >= 0;
        if (packable) {
            const int bytes = int(text.size() + 1) / 2;
            lengths.append(char(bytes));
            for (int i = 0; i < bytes; ++i) {
                const int high = packedCode(text[size_t(2 * i)]);
                const int low = size_t(2 * i + 1) < text.size() ? packedCode(text[size_t(2 * i + 1)]) : packedEnd;
                values.append(char(high << 4 | low));
            }
        } else if (int(text.size()) < longLength - rawLength) {
            lengths.append(char(rawLength + int(text.size())));
            values.append(text.data(), int(text.size()));
        } else {
            lengths.append(char(longLength));
            const quint32 size = quint32(text.size());
            values.append(reinterpret_cast<const char *>(&size), int(sizeof size));
            values.append(text.data(), int(text.size()));
        }
    }

    // Bytes a row's value takes, from where it begins.
    int storedBytes(int index, quint32 begin) const
    {
        const int length = quint8(lengths.at(index));
        if (length < rawLength)
            return length;
        if (length < longLength)
            return length - rawLength;
        quint32 size = 0;
        std::memcpy(&size, values.constData() + begin, sizeof size);
        return int(sizeof size + size);
    }

    std::string_view value(int index, char *buffer) const
    {
        quint32 begin = offsets.at(index >> offsetShift);
        for (int i = index & ~((1 << offsetShift) - 1); i < index; ++i)
            begin += quint32(storedBytes(i, begin));
        const char *data = values.constData() + begin;
        const int length = quint8(lengths.at(index));
        if (length >= longLength)
            return std::string_view(data + sizeof(quint32), size_t(storedBytes(index, begin)) - sizeof(quint32));
        if (length >= rawLength)
            return std::string_view(data, size_t(length - rawLength));
        int size = 0;
        for (int i = 0; i < length; ++i) {
            buffer[size++] = packedDigits[quint8(data[i]) >> 4];
            if ((quint8(data[i]) & 15) != packedEnd)
                buffer[size++] = packedDigits[quint8(data[i]) & 15];
        }
        return std::string_view(buffer, size_t(size));
    }

    int kindAt(int index) const
    {
        if (runs.size() == 1)
            return runs.at(0).kind;
        const auto run = std::upper_bound(runs.cbegin(), runs.cend(), index,
            [](int row, const Run &r) { return row < r.first; });
        return (run - 1)->kind;
    }

    void appendKind(std::string_view function, std::string_view unit, int range)
    {
        // Neighbouring rows mostly share their kind.
        const auto view = [](const QByteArray &text) { return std::string_view(text.constData(), size_t(text.size())); };
        if (lastKind >= 0 && range == lastRange && function == view(lastFunction) && unit == view(lastUnit))
            return;
        // Copies: the texts may lie in a buffer of the caller's.
        lastFunction = QByteArray(function.data(), int(function.size()));
        lastUnit = QByteArray(unit.data(), int(unit.size()));
        lastRange = range;
        const QByteArray key = QByteArray::number(range) + '\0' + lastFunction + '\0' + lastUnit;
        const auto found = kindIndex.constFind(key);
        if (found != kindIndex.constEnd()) {
            lastKind = found.value();
        } else {
            lastKind = kindTable.size();
            kindTable.append({QString::fromUtf8(lastFunction), QString::fromUtf8(lastUnit), range});
            kindIndex.insert(key, quint16(lastKind));
        }
        runs.append({times.size(), lastKind});
    }

    void finish()
    {
        kindIndex = QHash<QByteArray, quint16>();
        lastFunction = lastUnit = QByteArray();
        lastKind = -1;
        // A chunk cut short by a hand-over gives back what it reserved.
        times.squeeze();
        blockTimes.squeeze();
        lengths.squeeze();
        offsets.squeeze();
        values.squeeze();
        runs.squeeze();
    }
};

StoredRows::StoredRows() = default;
StoredRows::~StoredRows() = default;
StoredRows::StoredRows(StoredRows &&other) noexcept = default;
StoredRows &StoredRows::operator=(StoredRows &&other) noexcept = default;

// A copy shares the chunks; an open one is finished first in the copy's
// eyes: neither side appends to a shared chunk.
StoredRows::StoredRows(const StoredRows &other)
    : chunks(other.chunks), firstRows(other.firstRows), count(other.count)
{
}

StoredRows &StoredRows::operator=(const StoredRows &other)
{
    if (this != &other) {
        chunks = other.chunks;
        firstRows = other.firstRows;
        count = other.count;
        lastOpen = false;
        lastChunk = 0;
    }
    return *this;
}

void StoredRows::reserve(int count)
{
    const int chunkCount = count / chunkRows + 1;
    chunks.reserve(size_t(chunkCount));
    firstRows.reserve(chunkCount);
}

StoredRows::Chunk &StoredRows::openChunk(qint64 time)
{
    if (!lastOpen || chunks.back().use_count() > 1 || !chunks.back()->takes(time)) {
        if (lastOpen)
            chunks.back()->finish();
        chunks.push_back(std::make_shared<Chunk>());
        firstRows.append(count);
        Chunk &chunk = *chunks.back();
        chunk.times.reserve(chunkRows);
        chunk.lengths.reserve(chunkRows);
        lastOpen = true;
    }
    return *chunks.back();
}

void StoredRows::append(
    qint64 time, const QString &value, const QString &unit, const QString &function, int range)
{
    const QByteArray texts[] = {value.toUtf8(), unit.toUtf8(), function.toUtf8()};
    const auto view = [](const QByteArray &text) { return std::string_view(text.constData(), size_t(text.size())); };
    appendUtf8(time, view(texts[0]), view(texts[1]), view(texts[2]), range);
}

void StoredRows::appendUtf8(qint64 time, std::string_view value, std::string_view unit,
    std::string_view function, int range)
{
    Chunk &chunk = openChunk(time);
    chunk.appendKind(function, unit, range);
    chunk.appendValue(value);
    chunk.appendTime(time);
    ++count;
}

void StoredRows::append(StoredRows &&more)
{
    if (more.isEmpty())
        return;
    finish();
    for (size_t chunk = 0; chunk < more.chunks.size(); ++chunk) {
        firstRows.append(count + more.firstRows.at(int(chunk)));
        chunks.push_back(std::move(more.chunks[chunk]));
    }
    count += more.count;
    lastOpen = more.lastOpen;
    more = StoredRows();
}

void StoredRows::finish()
{
    if (lastOpen)
        chunks.back()->finish();
    lastOpen = false;
}

int StoredRows::openRows() const
{
    return lastOpen ? count - firstRows.constLast() : 0;
}

bool StoredRows::isFull() const
{
    return count >= maxRows || (lastOpen && chunks.back()->values.size() >= maxValueBytes);
}

int StoredRows::locate(int row, int *index) const
{
    // Rows are mostly asked for in order: try the chunk asked last first.
    int chunk = lastChunk;
    if (chunk >= firstRows.size() || row < firstRows.at(chunk)
        || (chunk + 1 < firstRows.size() && row >= firstRows.at(chunk + 1)))
        chunk = int(std::upper_bound(firstRows.cbegin(), firstRows.cend(), row) - firstRows.cbegin()) - 1;
    lastChunk = chunk;
    *index = row - firstRows.at(chunk);
    return chunk;
}

qint64 StoredRows::time(int row) const
{
    int index = 0;
    return chunks[size_t(locate(row, &index))]->time(index);
}

QString StoredRows::value(int row) const
{
    return QString::fromUtf8(valueUtf8(row));
}

QByteArray StoredRows::valueUtf8(int row) const
{
    char buffer[valueBufferSize];
    const std::string_view text = valueUtf8(row, buffer);
    return QByteArray(text.data(), int(text.size()));
}

std::string_view StoredRows::valueUtf8(int row, char *buffer) const
{
    int index = 0;
    return chunks[size_t(locate(row, &index))]->value(index, buffer);
}

const StoredRows::Kind &StoredRows::kind(int row) const
{
    int chunk = 0;
    const int index = kindIndex(row, &chunk);
    return chunks[size_t(chunk)]->kindTable.at(index);
}

int StoredRows::kindCount(int chunk) const
{
    return chunks[size_t(chunk)]->kindTable.size();
}

const StoredRows::Kind &StoredRows::chunkKind(int chunk, int kind) const
{
    return chunks[size_t(chunk)]->kindTable.at(kind);
}

int StoredRows::kindIndex(int row, int *chunk) const
{
    int index = 0;
    *chunk = locate(row, &index);
    return chunks[size_t(*chunk)]->kindAt(index);
}
