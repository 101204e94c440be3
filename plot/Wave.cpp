#include "plot/Wave.h"

#include "meter/Reading.h"
#include "plot/TimeScaleDrawR.h"

#include <QBrush>
#include <QColor>
#include <QPen>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_magnifier.h>
#include <qwt_plot_panner.h>

#include <algorithm>
#include <utility>

Wave::Wave(QWidget *parent)
    : QwtPlot(parent),
      curve(new QwtPlotCurve()),
      grid(new QwtPlotGrid()),
      magnifier(nullptr),
      panner(nullptr),
      startTime(QDateTime::currentDateTime())
{
    setCanvasBackground(QBrush(Qt::black));

    grid->enableX(true);
    grid->enableY(true);
    grid->setMajorPen(QColor(Qt::yellow), 0, Qt::DotLine);
    grid->attach(this);

    curve->setPen(QColor(0, 255, 0), 0, Qt::SolidLine);
    // The history window may hand over a million points: drop consecutive
    // points that land on the same pixel. Polygon clipping stays off: at a
    // million points it made a full view half again as slow and 50 MB larger,
    // and gained nothing when zoomed in.
    curve->setPaintAttribute(QwtPlotCurve::FilterPoints, true);
    curve->setPaintAttribute(QwtPlotCurve::ClipPolygons, false);
    curve->attach(this);

    setAxisTitle(QwtPlot::xBottom, tr("Time"));
    setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDrawR(startTime));
    setAxisTitle(QwtPlot::yLeft, tr("Value"));

    // Qwt asks for enough width to set every time label apart, about 750
    // pixels for the live axis; that alone would keep the main window from
    // fitting a 1366-pixel screen. Below that the labels simply sit closer.
    setMinimumSize(300, 200);

    panner = new QwtPlotPanner(canvas());
    magnifier = new QwtPlotMagnifier(canvas());
}

Wave::~Wave() = default;

void Wave::addPoint(const QDateTime &time)
{
    addPoint(double(startTime.secsTo(time)), Reading::current().value);
}

void Wave::addPoint(double x, double y)
{
    xData.append(x);
    yData.append(y);
    showData();
}

void Wave::clearCurve()
{
    xData.clear();
    yData.clear();
    showData();
}

void Wave::restart()
{
    xData.clear();
    yData.clear();
    startTime = QDateTime::currentDateTime();
    setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDrawR(startTime));
    const Reading &reading = Reading::current();
    setAxisScale(QwtPlot::yLeft, reading.plotMin, reading.plotMax);
    // One redraw after the new origin and limits are in place, so the empty
    // plot already shows them.
    showData();
}

void Wave::setYRange(double lower, double upper)
{
    setAxisScale(QwtPlot::yLeft, lower, upper);
}

void Wave::setTimeOrigin(const QDateTime &origin)
{
    setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDrawR(origin));
}

void Wave::setPoints(QVector<double> x, QVector<double> y)
{
    const int count = std::min(x.size(), y.size());
    x.resize(count);
    y.resize(count);
    xData = std::move(x);
    yData = std::move(y);
    showData();
}

void Wave::showData()
{
    curve->setSamples(xData, yData);
    replot();
}
