#ifndef SUMMARYSERIES_H
#define SUMMARYSERIES_H

#include "plot/MinMaxPyramid.h"

#include <QVector>
#include <qwt_series_data.h>

#include <memory>

// The curve's points, read in place from their owner, which may add points
// at the end (then grow() takes them in). Keeps where the line breaks and,
// when x ascends within every piece, a summary of the lowest and highest y
// of any index range, so millions of points draw as a few per pixel column.
// Used in the thread that draws the plot.
class SummarySeries : public QwtSeriesData<QPointF>
{
public:
    // Where the points come from; they must not change once taken in.
    class Source
    {
    public:
        virtual ~Source() = default;
        virtual int count() const = 0;
        virtual double x(int index) const = 0;
        virtual double y(int index) const = 0;
    };

    // Points held in two vectors, shared with the caller, not copied.
    class Arrays : public Source
    {
    public:
        Arrays(QVector<double> x, QVector<double> y);
        int count() const override { return int(xs.size()); }
        double x(int index) const override { return xs.at(index); }
        double y(int index) const override { return ys.at(index); }
        const QVector<double> &xData() const { return xs; }
        const QVector<double> &yData() const { return ys; }

    private:
        QVector<double> xs;
        QVector<double> ys;
    };

    // The source is not owned and must outlive the series.
    explicit SummarySeries(const Source *source);
    explicit SummarySeries(std::unique_ptr<const Source> ownSource);
    ~SummarySeries() override;

    // Takes in the points added since the last call; pieceStarts are the
    // indices that begin a new piece of line, ascending.
    void grow(QVector<int> pieceStarts = {});

    size_t size() const override { return size_t(pyramid.size()); }
    QPointF sample(size_t i) const override;
    QRectF boundingRect() const override;

    const Source *pointSource() const { return source; }
    const QVector<int> &pieceStarts() const { return starts; }
    bool isSummarised() const { return ascending && pyramid.size() > 0; }
    // Indices of the lowest and highest y of [from, to); needs isSummarised().
    void extremes(int from, int to, int &lowest, int &highest) const;

private:
    std::unique_ptr<const Source> owned;
    const Source *source;
    MinMaxPyramid pyramid;
    QVector<int> starts;
    QRectF bounds;
    bool ascending = true;
};

#endif
