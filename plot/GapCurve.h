#ifndef GAPCURVE_H
#define GAPCURVE_H

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

    void drawSeries(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                    const QRectF &canvasRect, int from, int to) const override;

    // Where a series of ascending times pauses: before each point that lies
    // more than five times the middle spacing and at least five seconds after
    // the one before it.
    static QVector<int> gapStarts(const QVector<double> &x);

private:
    void drawPiece(QPainter *painter, const QwtScaleMap &xMap, const QwtScaleMap &yMap,
                   const QRectF &canvasRect, int from, int to) const;

    QVector<int> starts;
};

#endif
