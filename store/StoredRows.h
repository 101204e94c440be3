#ifndef STOREDROWS_H
#define STOREDROWS_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

#include <string_view>

class QDateTime;

// Stored readings of a time range, kept compact so ten million rows stay
// small: the time as one number, the value texts in one shared UTF-8 buffer,
// and each distinct unit and function text stored once. Filled in one
// thread, then handed over whole and only read.
class StoredRows
{
public:
    // The wall-clock date and time as one number of seconds, without any
    // time-zone conversion; an invalid time gives noTime.
    static qint64 timeKey(const QDateTime &time);
    static QDateTime localTime(qint64 key);
    // "yyyy-MM-dd hh:mm:ss", empty for noTime.
    static QString timeText(qint64 key);
    // The server's text of a timestamp, "yyyy-MM-dd hh:mm:ss" with perhaps a
    // fraction, read without building a date-time in the local zone; other
    // texts go through Qt's ISO reading.
    static qint64 timestampKey(const char *text, int length);
    // The server's text of a range number; anything but an optionally
    // signed decimal gives 0.
    static int rangeNumber(std::string_view text);
    static const qint64 noTime;
    // Most rows held at once; past that the containers would outgrow what
    // one block of memory may take.
    static constexpr int maxRows = 60000000;

    void reserve(int count);
    void append(qint64 time, const QString &value, const QString &unit, const QString &function,
        int range = 0);
    // The texts in UTF-8, as the server sends them; they are copied.
    void appendUtf8(qint64 time, std::string_view value, std::string_view unit,
        std::string_view function, int range);
    // Drops what only collecting needs.
    void finish();

    bool isFull() const;
    int size() const { return rows.size(); }
    bool isEmpty() const { return rows.isEmpty(); }
    qint64 time(int row) const { return rows.at(row).time; }
    int range(int row) const { return rows.at(row).range; }
    QString value(int row) const;
    // The value text as stored, without a copy; valid while the rows live.
    QByteArray valueUtf8(int row) const;
    const QString &unit(int row) const { return texts.at(int(rows.at(row).unit)); }
    const QString &function(int row) const { return texts.at(int(rows.at(row).function)); }
    // Index of the unit or function text, the same for equal texts.
    quint32 unitIndex(int row) const { return rows.at(row).unit; }
    quint32 functionIndex(int row) const { return rows.at(row).function; }

    // One row as held.
    struct Row
    {
        qint64 time;          // a timeKey()
        quint32 valueOffset;  // into values; the text ends where the next begins
        qint32 range;
        quint32 unit;         // index into texts
        quint32 function;     // index into texts
    };

private:
    quint32 intern(std::string_view text);

    QVector<Row> rows;
    QByteArray values;
    QVector<QString> texts;
    QHash<QByteArray, quint32> textIndex;
    QByteArray lastText;
    quint32 lastIndex = 0;
};

// Grown in place, without a second copy of millions of rows.
Q_DECLARE_TYPEINFO(StoredRows::Row, Q_PRIMITIVE_TYPE);

#endif
