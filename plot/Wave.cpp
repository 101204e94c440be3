#include "plot/Wave.h"

#include "plot/GapCurve.h"
#include "plot/SummarySeries.h"
#include "plot/TimeScaleDrawR.h"
#include "plot/TimeScaleEngine.h"
#include "plot/WaveMagnifier.h"

#include <QBrush>
#include <QColor>
#include <QFontMetrics>
#include <QPen>
#include <qwt_plot_grid.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_panner.h>
#include <qwt_scale_widget.h>

#include <algorithm>
#include <utility>

Wave::Wave(QWidget *parent)
    : QwtPlot(parent),
      curve(new GapCurve()),
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
    setAxisScaleEngine(QwtPlot::xBottom, new TimeScaleEngine());
    // Until the first point: the second of the origin alone, nothing later.
    followData(QwtPlot::xBottom, -0.5, 0.5);
    setAxisTitle(QwtPlot::yLeft, tr("Value"));

    // Qwt asks for enough width to set every time label apart, about 750
    // pixels for the live axis; that alone would keep the main window from
    // fitting a 1366-pixel screen. The number of time labels follows the
    // width instead (resizeEvent).
    setMinimumSize(300, 200);

    panner = new QwtPlotPanner(canvas());
    magnifier = new WaveMagnifier(canvas());
    connect(magnifier, &WaveMagnifier::signal_home, this, &Wave::showAll);
    // A Tab stop, so Home and the magnifier's + and - keys reach it.
    canvas()->setFocusPolicy(Qt::StrongFocus);
    if (auto *plotCanvas = qobject_cast<QwtPlotCanvas *>(canvas()))
        plotCanvas->setFocusIndicator(QwtPlotCanvas::CanvasFocusIndicator);
}

Wave::~Wave() = default;

void Wave::addPoint(const QDateTime &time, double value)
{
    addPoint(double(startTime.secsTo(time)), value);
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

void Wave::restart(double plotMin, double plotMax)
{
    xData.clear();
    yData.clear();
    startTime = QDateTime::currentDateTime();
    setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDrawR(startTime));
    // A pan or zoom holds the time axis only until the next restart; then
    // the plot follows new points again.
    followData(QwtPlot::xBottom, -0.5, 0.5);
    setYRange(plotMin, plotMax);
    // One redraw after the new origin and limits are in place, so the empty
    // plot already shows them.
    showData();
}

void Wave::setYRange(double lower, double upper)
{
    homeLower = lower;
    homeUpper = upper;
    // Equal limits (no frame decoded yet, or a range without a scale) would
    // give an axis without height: scale to the points instead.
    if (lower == upper)
        followData(QwtPlot::yLeft, lower - 1.0, upper + 1.0);
    else
        setAxisScale(QwtPlot::yLeft, lower, upper);
}

void Wave::showAll()
{
    followData(QwtPlot::xBottom, -0.5, 0.5);
    setYRange(homeLower, homeUpper);
    replot();
}

void Wave::setTimeOrigin(const QDateTime &origin)
{
    setAxisScaleDraw(QwtPlot::xBottom, new TimeScaleDrawR(origin));
}

void Wave::setPoints(QVector<double> x, QVector<double> y, QVector<int> pieceStarts)
{
    const int count = std::min(x.size(), y.size());
    x.resize(count);
    y.resize(count);
    xData = std::move(x);
    yData = std::move(y);
    // Drawing every one of millions of points would make each pan and zoom
    // take seconds: a few per pixel column of the visible interval suffice.
    auto *series = new SummarySeries(std::make_unique<SummarySeries::Arrays>(xData, yData));
    series->grow(std::move(pieceStarts));
    curve->setData(series);
    replot();
}

void Wave::setSeries(SummarySeries *series)
{
    xData.clear();
    yData.clear();
    curve->setData(series);
    replot();
}

const QwtPlotCurve *Wave::plotCurve() const
{
    return curve;
}

void Wave::resizeEvent(QResizeEvent *event)
{
    QwtPlot::resizeEvent(event);
    // As many time labels as fit side by side with a gap of two digits.
    const QFontMetrics metrics(axisWidget(QwtPlot::xBottom)->font());
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00:00"))
            + 2 * metrics.horizontalAdvance(QLatin1Char('0'));
    const int steps = std::max(1, canvas()->width() / labelWidth);
    if (steps != axisMaxMajor(QwtPlot::xBottom)) {
        setAxisMaxMajor(QwtPlot::xBottom, steps);
        replot();
        // The new ticks change the room the axes need, and no layout request
        // follows while the plot is being shown: without this the value
        // axis kept too little room and its title was cut on the left.
        updateLayout();
    }
}

void Wave::followData(int axisId, double lower, double upper)
{
    setAxisScale(axisId, lower, upper);
    setAxisAutoScale(axisId, true);
}

void Wave::showData()
{
    curve->setSamples(xData, yData);
    replot();
}
