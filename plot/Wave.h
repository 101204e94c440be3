#ifndef WAVE_H
#define WAVE_H

#include <QDateTime>
#include <QVector>
#include <qwt_plot.h>

class GapCurve;
class QwtPlotCurve;
class SummarySeries;
class QwtPlotGrid;
class QwtPlotMagnifier;
class QwtPlotPanner;

// Readings over time: one green curve on black, clock times on the x axis.
// Used live (one point per sample) and by the history window (bulk fill).
class Wave : public QwtPlot
{
    Q_OBJECT
public:
    explicit Wave(QWidget *parent = nullptr);
    ~Wave() override;

    void addPoint(const QDateTime &time);
    void addPoint(double x, double y);
    void clearCurve();
    void restart();
    void setYRange(double lower, double upper);
    void setTimeOrigin(const QDateTime &origin);

    // Replaces every point at once: the vectors are taken over without a
    // copy, handed to the curve once and drawn once. If the lengths differ
    // the longer one is cut to the shorter. A line is broken before each
    // index in pieceStarts (ascending). With x ascending, drawing keeps a
    // few points per pixel column (each column's extremes among them), so
    // pans and zooms stay quick at millions of points; addPoint afterwards
    // draws every point again.
    void setPoints(QVector<double> x, QVector<double> y, QVector<int> pieceStarts = {});

    // Draws the series' points, read in place; the plot owns the series.
    // After the series grows, replot() shows the new points.
    void setSeries(SummarySeries *series);

    QDateTime timeOrigin() const { return startTime; }
    int pointCount() const { return xData.size(); }
    const QwtPlotCurve *plotCurve() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Scales the axis automatically from now on; with no points it shows
    // [lower, upper].
    void followData(int axisId, double lower, double upper);
    // Hands both vectors to the curve (shared, not copied) and redraws.
    void showData();

    GapCurve *curve;
    QwtPlotGrid *grid;
    QwtPlotMagnifier *magnifier;
    QwtPlotPanner *panner;
    QVector<double> xData;
    QVector<double> yData;
    QDateTime startTime;
};

#endif
