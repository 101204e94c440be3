#ifndef GAPCURVE_H
#define GAPCURVE_H

#include "plot/MinMaxPyramid.h"

#include <QVector>
#include <qwt_plot_curve.h>

// A curve drawn in pieces: no line joins the last point of one piece to the
// first point of the next, so a pause in the readings shows as a break.
class GapCurve : public QwtPlotCurve
{
public:
    GapCurve();
    ~GapCurve() override;

    // Indices of the points that begin a new piece, ascending; empty draws
    // one unbroken line.
    void setPieceStarts(QVector<int> starts);
    const QVector<int> &pieceStarts() const { return starts; }

    // From now until the samples change, each piece is drawn with at most
    // four points per pixel column of the visible interval: the first, the
    // last, the lowest and the highest, so no spike is lost. Needs samples
    // given as arrays with ascending x; returns false, and every point stays
    // drawn, otherwise.
    bool summarise();
    bool isSummarised() const { return !pyramid.isEmpty(); }

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

protected:
    void dataChanged() override;

private:
    void drawPiece(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                   const QRectF &canvasRect, int from, int to) const;
    void drawSummary(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                     const QRectF &canvasRect, int from, int to) const;

    QVector<int> starts;
    MinMaxPyramid pyramid;
};

#endif
