#include "plot/GapCurve.h"

#include "plot/SummarySeries.h"

#include <QPainter>
#include <QPen>
#include <qwt_painter.h>
#include <qwt_scale_map.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace {
const double gapFactor = 5.0;
const double shortestGap = 5.0;
// A pixel column with at most this many points shows them all.
const int pointsPerColumn = 4;
}

GapCurve::GapCurve() = default;

GapCurve::~GapCurve() = default;

const SummarySeries *GapCurve::series() const
{
    return dynamic_cast<const SummarySeries *>(data());
}

const QVector<int> &GapCurve::pieceStarts() const
{
    static const QVector<int> none;
    const SummarySeries *pieces = series();
    return pieces ? pieces->pieceStarts() : none;
}

bool GapCurve::isSummarised() const
{
    const SummarySeries *summary = series();
    return summary && summary->isSummarised();
}

QVector<int> GapCurve::drawnPoints(const QwtScaleMap &xMap, const QRectF &canvasRect, int from, int to) const
{
    QVector<int> shown;
    const SummarySeries *summary = series();
    if (!summary || !summary->isSummarised()) {
        for (int i = from; i <= to; ++i)
            shown.append(i);
        return shown;
    }
    const auto x = [summary](int i) { return summary->sample(size_t(i)).x(); };
    // The first index of [begin, end) whose x is not below limit.
    const auto firstFrom = [&x](int begin, int end, double limit) {
        while (begin < end) {
            const int middle = begin + (end - begin) / 2;
            if (x(middle) < limit)
                begin = middle + 1;
            else
                end = middle;
        }
        return begin;
    };

    // Column k takes the points that round to pixel left + k.
    const int left = int(std::floor(canvasRect.left()));
    const int columns = std::max(1, int(std::ceil(canvasRect.right())) - left + 1);
    std::vector<double> edges(size_t(columns) + 1);
    for (int k = 0; k <= columns; ++k)
        edges[size_t(k)] = xMap.invTransform(left + k - 0.5);
    if (edges.front() > edges.back())
        std::reverse(edges.begin(), edges.end());

    const int end = to + 1;
    int start = firstFrom(from, end, edges.front());
    if (start > from)
        shown.append(start - 1);
    for (size_t k = 1; k < edges.size() && start <= to; ++k) {
        const int stop = firstFrom(start, end, edges[k]);
        if (stop - start <= pointsPerColumn) {
            for (int i = start; i < stop; ++i)
                shown.append(i);
        } else {
            int lowest = start;
            int highest = start;
            summary->extremes(start, stop, lowest, highest);
            int picks[] = {start, lowest, highest, stop - 1};
            std::sort(std::begin(picks), std::end(picks));
            for (int pick : picks) {
                if (shown.isEmpty() || shown.constLast() != pick)
                    shown.append(pick);
            }
        }
        start = stop;
    }
    if (start <= to)
        shown.append(start);
    return shown;
}

void GapCurve::drawSeries(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                          const QRectF &canvasRect, int from, int to) const
{
    const int count = int(dataSize());
    if (to < 0)
        to = count - 1;
    // The pieces that overlap [from, to], each drawn on its own.
    const QVector<int> &starts = pieceStarts();
    auto next = std::upper_bound(starts.cbegin(), starts.cend(), from);
    int begin = from;
    while (begin <= to) {
        const int end = next == starts.cend() ? to : std::min(to, *next - 1);
        drawPiece(painter, xMap, yMap, canvasRect, begin, end);
        if (next == starts.cend())
            break;
        begin = *next++;
    }
}

void GapCurve::drawPiece(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                         const QRectF &canvasRect, int from, int to) const
{
    if (from < to) {
        if (!isSummarised())
            QwtPlotCurve::drawSeries(painter, xMap, yMap, canvasRect, from, to);
        else
            drawSummary(painter, xMap, yMap, canvasRect, from, to);
        return;
    }
    // A line needs two points: a reading alone on the plot or between two
    // pauses is drawn as a dot, large enough to be seen.
    const QPointF sample = data()->sample(size_t(from));
    QPen dot = pen();
    dot.setWidth(3);
    dot.setCapStyle(Qt::RoundCap);
    painter->save();
    painter->setPen(dot);
    QwtPainter::drawPoint(painter, QPointF(xMap.transform(sample.x()), yMap.transform(sample.y())));
    painter->restore();
}

void GapCurve::drawSummary(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                           const QRectF &canvasRect, int from, int to) const
{
    const QVector<int> shown = drawnPoints(xMap, canvasRect, from, to);
    const bool align = QwtPainter::roundingAlignment(painter);
    QPolygonF line;
    line.reserve(shown.size());
    for (int i : shown) {
        const QPointF sample = data()->sample(size_t(i));
        const QPointF point(xMap.transform(sample.x()), yMap.transform(sample.y()));
        line.append(align ? QPointF(qRound(point.x()), qRound(point.y())) : point);
    }
    painter->save();
    painter->setPen(pen());
    QwtPainter::drawPolyline(painter, line);
    painter->restore();
}

namespace {
// The middle of the spacings between neighbouring times. Stored times are
// whole seconds, so the spacings take few distinct values and are counted
// rather than copied: ten million rows would otherwise need 80 MB here. Many
// distinct spacings fall back to a copy.
double middleSpacing(const QVector<double> &x)
{
    const size_t countedAtMost = 4096;
    std::map<double, size_t> counts;
    for (int i = 1; i < x.size() && counts.size() <= countedAtMost; ++i)
        ++counts[std::abs(x.at(i) - x.at(i - 1))];
    const size_t middle = size_t(x.size() - 1) / 2;
    if (counts.size() <= countedAtMost) {
        size_t seen = 0;
        for (const auto &entry : counts) {
            seen += entry.second;
            if (seen > middle)
                return entry.first;
        }
    }
    std::vector<double> spacings(size_t(x.size() - 1));
    for (int i = 1; i < x.size(); ++i)
        spacings[size_t(i - 1)] = std::abs(x.at(i) - x.at(i - 1));
    std::nth_element(spacings.begin(), spacings.begin() + std::ptrdiff_t(middle), spacings.end());
    return spacings[middle];
}
}  // namespace

QVector<int> GapCurve::gapStarts(const QVector<double> &x)
{
    QVector<int> result;
    if (x.size() < 2)
        return result;
    const double middle = middleSpacing(x);
    for (int i = 1; i < x.size(); ++i) {
        if (isGap(std::abs(x.at(i) - x.at(i - 1)), middle))
            result.append(i);
    }
    return result;
}

bool GapCurve::isGap(double spacing, double middleSpacing)
{
    return spacing > gapFactor * middleSpacing && spacing >= shortestGap;
}
