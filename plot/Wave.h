#ifndef WAVE_H
#define WAVE_H

#include <QDateTime>
#include <QVector>
#include <qwt_plot.h>

class GapCurve;
class QwtPlotCurve;
class SummarySeries;
class QwtPlotGrid;
class QwtPlotPanner;
class WaveMagnifier;

// Readings over time: one green curve on black, clock times on the x axis.
// Used live (one point per sample) and by the history window (bulk fill).
class Wave : public QwtPlot
{
    Q_OBJECT
public:
    explicit Wave(QWidget *parent = nullptr);
    ~Wave() override;

    // A sample's value at its time, x in whole seconds from the origin.
    void addPoint(const QDateTime &time, double value);
    void addPoint(double x, double y);
    void clearCurve();
    // Empties the curve, starts the time origin anew and fixes the y axis to
    // the range's plot limits.
    void restart(double plotMin, double plotMax);
    void setYRange(double lower, double upper);
    void setTimeOrigin(const QDateTime &origin);
    // Undoes pans and zooms: the time axis follows the points again and the
    // value axis goes back to the last setYRange().
    void showAll();

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
    WaveMagnifier *magnifier;
    QwtPlotPanner *panner;
    QVector<double> xData;
    QVector<double> yData;
    QDateTime startTime;
    // The value axis that showAll() returns to; equal limits follow the data.
    double homeLower = 0.0;
    double homeUpper = 0.0;
};

#endif
