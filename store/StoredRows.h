#ifndef STOREDROWS_H
#define STOREDROWS_H

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>
#include <string_view>
#include <vector>

class QDateTime;

// Stored readings of a time range, kept compact so ten million rows stay
// small: about eight bytes a row. Rows lie in chunks of at most chunkRows; a
// chunk holds its times as seconds from its first, its value texts packed
// two characters a byte where they allow it, and each distinct function,
// unit and range once (a "kind"), with the runs of rows of one kind. A chunk once finished never changes, so rows can be built
// in one thread and handed to another whole: append(StoredRows &&) moves
// chunks, it copies no row. One StoredRows is used by one thread at a time;
// copies share their finished chunks.
class StoredRows
{
public:
    // The wall-clock date and time as one number of seconds, without any
    // time-zone conversion; an invalid time gives noTime.
    static qint64 timeKey(const QDateTime &time);
    static QDateTime localTime(qint64 key);
    // In the stored time format, empty for noTime.
    static QString timeText(qint64 key);
    // The server's text of a timestamp, "yyyy-MM-dd hh:mm:ss" with perhaps a
    // fraction, read without building a date-time in the local zone; other
    // texts go through Qt's ISO reading.
    static qint64 timestampKey(const char *text, int length);
    // The server's text of a range number; anything but an optionally
    // signed decimal gives 0.
    static int rangeNumber(std::string_view text);
    static const qint64 noTime;
    // Most rows held at once.
    static constexpr int maxRows = 60000000;
    static constexpr int chunkRows = 65536;

    // What rows of one chunk share.
    struct Kind
    {
        QString function;
        QString unit;
        int range;
    };

    StoredRows();
    ~StoredRows();
    StoredRows(const StoredRows &other);
    StoredRows &operator=(const StoredRows &other);
    StoredRows(StoredRows &&other) noexcept;
    StoredRows &operator=(StoredRows &&other) noexcept;

    // Room for the chunks of count rows.
    void reserve(int count);
    void append(qint64 time, const QString &value, const QString &unit, const QString &function,
        int range = 0);
    // The texts in UTF-8, as the server sends them; they are copied.
    void appendUtf8(qint64 time, std::string_view value, std::string_view unit,
        std::string_view function, int range);
    // Moves the rows of more behind these; more is left empty.
    void append(StoredRows &&more);
    // Finishes the last chunk: what only collecting needs is dropped, and
    // rows appended later start a new chunk.
    void finish();
    // Rows appended since the last finish().
    int openRows() const;

    bool isFull() const;
    int size() const { return count; }
    bool isEmpty() const { return count == 0; }
    qint64 time(int row) const;
    int range(int row) const { return kind(row).range; }
    QString value(int row) const;
    // The value text in UTF-8.
    QByteArray valueUtf8(int row) const;
    // The same without a copy: in the rows, or in buffer, which must hold
    // valueBufferSize bytes; valid while both live.
    static constexpr int valueBufferSize = 256;
    std::string_view valueUtf8(int row, char *buffer) const;
    const QString &unit(int row) const { return kind(row).unit; }
    const QString &function(int row) const { return kind(row).function; }
    const Kind &kind(int row) const;

    // The chunks, for work that walks every row once.
    int chunkCount() const { return int(chunks.size()); }
    int chunkFirstRow(int chunk) const { return firstRows.at(chunk); }
    int kindCount(int chunk) const;
    const Kind &chunkKind(int chunk, int kind) const;
    // The chunk of a row and its kind's number there.
    int kindIndex(int row, int *chunk) const;

    struct Chunk;

private:
    // The chunk holding row, and the row's index in it.
    int locate(int row, int *index) const;
    Chunk &openChunk(qint64 time);

    std::vector<std::shared_ptr<Chunk>> chunks;
    QVector<int> firstRows;
    int count = 0;
    bool lastOpen = false;
    mutable int lastChunk = 0;
};

#endif
