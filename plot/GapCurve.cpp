#include "plot/GapCurve.h"

#include <QPainter>
#include <QPen>
#include <qwt_painter.h>
#include <qwt_scale_map.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {
const double gapFactor = 5.0;
const double shortestGap = 5.0;
}

GapCurve::GapCurve() = default;

GapCurve::~GapCurve() = default;

void GapCurve::setPieceStarts(QVector<int> pieceStarts)
{
    starts = std::move(pieceStarts);
}

void GapCurve::drawSeries(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                          const QRectF &canvasRect, int from, int to) const
{
    const int count = int(dataSize());
    if (to < 0)
        to = count - 1;
    // The pieces that overlap [from, to], each drawn on its own.
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
        QwtPlotCurve::drawSeries(painter, xMap, yMap, canvasRect, from, to);
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

QVector<int> GapCurve::gapStarts(const QVector<double> &x)
{
    QVector<int> result;
    if (x.size() < 2)
        return result;
    std::vector<double> spacings(size_t(x.size() - 1));
    for (int i = 1; i < x.size(); ++i)
        spacings[size_t(i - 1)] = std::abs(x.at(i) - x.at(i - 1));
    const auto middle = spacings.begin() + std::ptrdiff_t(spacings.size() / 2);
    std::nth_element(spacings.begin(), middle, spacings.end());
    const double longest = gapFactor * *middle;
    for (int i = 1; i < x.size(); ++i) {
        const double spacing = std::abs(x.at(i) - x.at(i - 1));
        if (spacing > longest && spacing >= shortestGap)
            result.append(i);
    }
    return result;
}
