#include "store/StoredRows.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <limits>

const qint64 StoredRows::noTime = std::numeric_limits<qint64>::min();

namespace {
const qint64 SecondsPerDay = 86400;
// Leaves room below the 2 GB a byte array can hold for one more text.
const int maxValueBytes = 1 << 30;

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
        return localTime(key).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
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

void StoredRows::reserve(int count)
{
    rows.reserve(count);
    // Value texts are a few characters each.
    values.reserve(count * 6);
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
    const Row row = {time, quint32(values.size()), range, intern(unit), intern(function)};
    values.append(value.data(), int(value.size()));
    rows.append(row);
}

// The containers keep their spare capacity: it was never touched, so it
// costs no memory, while squeezing would copy every row once more.
void StoredRows::finish()
{
    textIndex.clear();
    textIndex.squeeze();
}

bool StoredRows::isFull() const
{
    return rows.size() >= maxRows || values.size() >= maxValueBytes;
}

QString StoredRows::value(int row) const
{
    return QString::fromUtf8(valueUtf8(row));
}

QByteArray StoredRows::valueUtf8(int row) const
{
    const quint32 begin = rows.at(row).valueOffset;
    const quint32 end = row + 1 < rows.size() ? rows.at(row + 1).valueOffset : quint32(values.size());
    return QByteArray::fromRawData(values.constData() + begin, int(end - begin));
}

quint32 StoredRows::intern(std::string_view text)
{
    // Neighbouring rows mostly share their texts.
    if (!texts.isEmpty() && text == std::string_view(lastText.constData(), size_t(lastText.size())))
        return lastIndex;
    // A copy: the text may lie in a buffer of the caller's.
    lastText = QByteArray(text.data(), int(text.size()));
    const auto found = textIndex.constFind(lastText);
    if (found != textIndex.constEnd()) {
        lastIndex = found.value();
    } else {
        lastIndex = quint32(texts.size());
        texts.append(QString::fromUtf8(lastText));
        textIndex.insert(lastText, lastIndex);
    }
    return lastIndex;
}
