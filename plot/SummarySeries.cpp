#include "plot/SummarySeries.h"

#include <algorithm>
#include <cmath>
#include <utility>

SummarySeries::Arrays::Arrays(QVector<double> x, QVector<double> y) : xs(std::move(x)), ys(std::move(y))
{
    // Only when they differ: a resize to the same length would copy.
    const int count = std::min(xs.size(), ys.size());
    if (xs.size() != count)
        xs.resize(count);
    if (ys.size() != count)
        ys.resize(count);
}

SummarySeries::SummarySeries(const Source *source) : source(source)
{
}

SummarySeries::SummarySeries(std::unique_ptr<const Source> ownSource)
    : owned(std::move(ownSource)), source(owned.get())
{
}

SummarySeries::~SummarySeries() = default;

void SummarySeries::grow(QVector<int> pieceStarts)
{
    const int from = pyramid.size();
    const int count = source->count();
    starts = std::move(pieceStarts);
    starts.erase(std::lower_bound(starts.begin(), starts.end(), count), starts.end());
    if (count <= from)
        return;
    double left = bounds.left();
    double right = bounds.right();
    auto piece = std::upper_bound(starts.cbegin(), starts.cend(), from);
    double previous = from > 0 ? source->x(from - 1) : 0;
    for (int i = from; i < count; ++i) {
        const double x = source->x(i);
        if (i == 0) {
            left = right = x;
        } else {
            left = std::min(left, x);
            right = std::max(right, x);
        }
        // A step back in x is allowed only where a new piece begins.
        const bool pieceBegins = piece != starts.cend() && *piece == i;
        if (pieceBegins)
            ++piece;
        else if (i > 0 && x < previous)
            ascending = false;
        previous = x;
    }
    pyramid.extend([this](int i) { return source->y(i); }, count);
    int lowest = 0;
    int highest = 0;
    pyramid.extremes([this](int i) { return source->y(i); }, 0, count, lowest, highest);
    bounds = QRectF(QPointF(left, source->y(lowest)), QPointF(right, source->y(highest)));
}

QPointF SummarySeries::sample(size_t i) const
{
    return QPointF(source->x(int(i)), source->y(int(i)));
}

QRectF SummarySeries::boundingRect() const
{
    return pyramid.size() > 0 ? bounds : QRectF(1.0, 1.0, -2.0, -2.0);
}

void SummarySeries::extremes(int from, int to, int &lowest, int &highest) const
{
    pyramid.extremes([this](int i) { return source->y(i); }, from, to, lowest, highest);
}
