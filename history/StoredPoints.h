#ifndef STOREDPOINTS_H
#define STOREDPOINTS_H

#include "plot/SummarySeries.h"

#include <QDateTime>
#include <QVector>

#include <map>

class StoredRows;

// The trend plot's points of stored rows, read from the rows in place: x is
// the seconds from the first row in real time, y the plotted value. Besides
// the rows it keeps only what is small: the zone offset where it changes,
// the function code of each kind of row, and where the line breaks (a pause,
// or the clock set back).
//
// Rows are taken in recorded order. The hour an autumn clock change repeats
// is stored twice over in wall-clock time; a row of it that would fall
// before the row recorded ahead of it is the second pass and lies an hour
// later. A clock set back by hand has no such second reading: the line
// breaks there and the later rows are drawn at their clock times.
//
// Threads: one thread, the one that owns the rows and draws the plot; the
// rows must only grow at the end while it is used.
class StoredPoints : public SummarySeries::Source
{
public:
    StoredPoints();
    ~StoredPoints() override;

    // Starts over with these rows (none taken in yet).
    void reset(const StoredRows *rows);
    // Takes in the rows appended since the last call.
    void extend();

    int count() const override { return counted; }
    double x(int index) const override;
    double y(int index) const override;

    // The time of the first row, where x is 0.
    QDateTime origin() const;
    const QVector<int> &pieceStarts() const { return starts; }
    // The function code of a row.
    int code(int row) const;

private:
    struct Shift
    {
        int firstRow;
        qint64 offset;  // from a wall-clock key to seconds since the epoch
    };

    qint64 epochOf(qint64 key);
    void notePiece(int row, qint64 epoch);

    const StoredRows *rows = nullptr;
    int counted = 0;
    QVector<Shift> shifts;
    QVector<QVector<qint16>> codes;  // per chunk, per kind
    qint64 originEpoch = 0;
    qint64 previousEpoch = 0;
    // The two offsets of the wall-clock hour last looked up: they differ
    // only in the hour a clock change repeats.
    qint64 offsetHour;
    qint64 earlierOffset = 0;
    qint64 laterOffset = 0;
    // Spacings counted for their middle, and the rows after a long one.
    std::map<qint64, qint64> spacings;
    qint64 spacingCount = 0;
    qint64 middleSpacing = 0;  // as last known
    QVector<QPair<int, qint64>> longSteps;
    QVector<int> backSteps;
    QVector<int> starts;
};

#endif
