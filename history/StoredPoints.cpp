#include "history/StoredPoints.h"

#include "meter/StoredReading.h"
#include "plot/GapCurve.h"
#include "store/StoredRows.h"

#include <algorithm>

namespace {
const qint64 SecondsPerHour = 3600;
// Distinct spacings counted at most; rows stored by the program have few.
const size_t countedSpacings = 4096;

// Seconds since the epoch of a wall-clock key read in the local zone with
// the given guess of its offset, or the key itself when the zone has no
// such wall-clock time.
qint64 offsetNear(qint64 key, qint64 guessAt)
{
    const QDateTime near = StoredRows::localTime(guessAt);
    const qint64 offset = near.isValid() ? near.toSecsSinceEpoch() - guessAt : 0;
    // The offset holds for key only when key reads back as itself.
    const QDateTime back = QDateTime::fromSecsSinceEpoch(key + offset);
    return StoredRows::timeKey(back) == key ? offset : StoredRows::noTime;
}
}  // namespace

StoredPoints::StoredPoints() : offsetHour(StoredRows::noTime)
{
}

StoredPoints::~StoredPoints() = default;

void StoredPoints::reset(const StoredRows *storedRows)
{
    *this = StoredPoints();
    rows = storedRows;
}

// Both readings of the hour are tried with the offsets two hours before and
// after it; outside a repeated hour they agree.
qint64 StoredPoints::epochOf(qint64 key)
{
    if (key / SecondsPerHour != offsetHour) {
        offsetHour = key / SecondsPerHour;
        const QDateTime plain = StoredRows::localTime(key);
        const qint64 offset = plain.isValid() ? plain.toSecsSinceEpoch() - key : 0;
        qint64 before = offsetNear(key, key - 2 * SecondsPerHour);
        qint64 after = offsetNear(key, key + 2 * SecondsPerHour);
        if (before == StoredRows::noTime)
            before = offset;
        if (after == StoredRows::noTime)
            after = offset;
        earlierOffset = std::min(before, after);
        laterOffset = std::max(before, after);
    }
    const qint64 earlier = key + earlierOffset;
    // The second pass: the first reading would go back in time.
    if (counted > 0 && earlier < previousEpoch && key + laterOffset >= previousEpoch)
        return key + laterOffset;
    return earlier;
}

void StoredPoints::extend()
{
    const int total = rows ? rows->size() : 0;
    if (total <= counted)
        return;
    for (int chunk = std::max(0, codes.size() - 1); chunk < rows->chunkCount(); ++chunk) {
        if (chunk == codes.size())
            codes.append(QVector<qint16>());
        QVector<qint16> &kinds = codes[chunk];
        for (int kind = kinds.size(); kind < rows->kindCount(chunk); ++kind) {
            const StoredRows::Kind &k = rows->chunkKind(chunk, kind);
            kinds.append(qint16(StoredReading::functionCode(k.function, k.unit)));
        }
    }
    for (int row = counted; row < total; ++row) {
        const qint64 key = rows->time(row);
        if (key == StoredRows::noTime)
            continue;
        const qint64 epoch = epochOf(key);
        if (row == 0)
            originEpoch = epoch;
        if (shifts.isEmpty() || shifts.constLast().offset != epoch - key)
            shifts.append({row, epoch - key});
        if (row > 0)
            notePiece(row, epoch);
        previousEpoch = epoch;
        counted = row + 1;
    }
    counted = total;
    // The middle spacing so far decides which long steps are pauses.
    qint64 seen = 0;
    qint64 middle = 0;
    for (const auto &entry : spacings) {
        seen += entry.second;
        if (seen > (spacingCount - 1) / 2) {
            middle = entry.first;
            break;
        }
    }
    middleSpacing = middle;
    // Steps that no longer count are dropped for good.
    longSteps.erase(std::remove_if(longSteps.begin(), longSteps.end(),
                        [middle](const QPair<int, qint64> &step) {
                            return !GapCurve::isGap(double(step.second), double(middle));
                        }),
        longSteps.end());
    starts = backSteps;
    for (const auto &step : longSteps)
        starts.append(step.first);
    std::sort(starts.begin(), starts.end());
}

void StoredPoints::notePiece(int row, qint64 epoch)
{
    const qint64 spacing = epoch - previousEpoch;
    if (spacing < 0) {
        backSteps.append(row);
        return;
    }
    if (spacings.size() < countedSpacings || spacings.count(spacing)) {
        ++spacings[spacing];
        ++spacingCount;
    }
    // Kept only while it may count as a pause.
    if (GapCurve::isGap(double(spacing), double(middleSpacing)))
        longSteps.append({row, spacing});
}

double StoredPoints::x(int index) const
{
    const qint64 key = rows->time(index);
    if (key == StoredRows::noTime)
        return 0.0;
    auto shift = std::upper_bound(shifts.cbegin(), shifts.cend(), index,
        [](int row, const Shift &s) { return row < s.firstRow; });
    const qint64 offset = shift == shifts.cbegin() ? 0 : (shift - 1)->offset;
    return double(key + offset - originEpoch);
}

int StoredPoints::code(int row) const
{
    int chunk = 0;
    const int kind = rows->kindIndex(row, &chunk);
    return chunk < codes.size() && kind < codes.at(chunk).size() ? codes.at(chunk).at(kind) : 0;
}

double StoredPoints::y(int index) const
{
    char buffer[StoredRows::valueBufferSize];
    return StoredReading::plotValue(code(index), rows->range(index), rows->valueUtf8(index, buffer));
}

QDateTime StoredPoints::origin() const
{
    return QDateTime::fromSecsSinceEpoch(originEpoch);
}
