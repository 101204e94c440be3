#ifndef GAPCURVE_H
#define GAPCURVE_H

#include <QVector>
#include <qwt_plot_curve.h>

class SummarySeries;

// A curve drawn in pieces: no line joins the last point of one piece to the
// first point of the next, so a pause in the readings shows as a break.
// Pieces and the summary come with a SummarySeries as its data; other data
// draws as one line of every point.
class GapCurve : public QwtPlotCurve
{
public:
    GapCurve();
    ~GapCurve() override;

    // Indices of the points that begin a new piece, ascending.
    const QVector<int> &pieceStarts() const;

    // Whether each piece is drawn with at most four points per pixel column
    // of the visible interval: the first, the last, the lowest and the
    // highest, so no spike is lost.
    bool isSummarised() const;

    // Indices of the points of [from, to] (one piece) that drawing hands to
    // the painter: all of them unless summarised; then per pixel column of
    // canvasRect its first, lowest, highest and last point in their order,
    // and the nearest point on either side outside, so lines still enter.
    QVector<int> drawnPoints(const QwtScaleMap &xMap, const QRectF &canvasRect, int from, int to) const;

    void drawSeries(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                    const QRectF &canvasRect, int from, int to) const override;

    // Where a series of ascending times pauses: before each point that lies
    // more than five times the middle spacing and at least five seconds after
    // the one before it.
    static QVector<int> gapStarts(const QVector<double> &x);
    // The same rule for one spacing, given the middle one.
    static bool isGap(double spacing, double middleSpacing);

private:
    const SummarySeries *series() const;
    void drawPiece(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                   const QRectF &canvasRect, int from, int to) const;
    void drawSummary(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                     const QRectF &canvasRect, int from, int to) const;
};

#endif
