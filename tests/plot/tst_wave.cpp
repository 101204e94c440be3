#include "meter/Reading.h"
#include "plot/GapCurve.h"
#include "plot/TimeScaleDrawR.h"
#include "plot/Wave.h"
#include "tests/common/TestRegistry.h"

#include <QImage>
#include <QTest>
#include <QWheelEvent>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_point_data.h>
#include <qwt_scale_div.h>
#include <qwt_scale_widget.h>
#include <qwt_text.h>

namespace {
QVector<QPointF> curvePoints(const Wave &wave)
{
    QVector<QPointF> points;
    const QwtSeriesData<QPointF> *data = wave.plotCurve()->data();
    for (size_t i = 0; i < data->size(); ++i)
        points.append(data->sample(i));
    return points;
}

QString axisLabel(const Wave &wave, double value)
{
    return wave.axisScaleDraw(QwtPlot::xBottom)->label(value).text();
}

QList<double> timeTicks(const Wave &wave)
{
    return wave.axisScaleDiv(QwtPlot::xBottom).ticks(QwtScaleDiv::MajorTick);
}
}

class TestWave : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void looksAsBuilt();
    void addPointUsesWholeSecondsAndReadingValue();
    void addPointWithCoordinates();
    void clearCurveKeepsOriginAndLimits();
    void restartFixesYAxisToReadingLimits_data();
    void restartFixesYAxisToReadingLimits();
    void setYRangeAndTimeOrigin();
    void equalLimitsAndEmptyAxes();
    void restartFollowsAgainAfterZoom();
    void timeLabelsDoNotOverlap_data();
    void timeLabelsDoNotOverlap();
    void piecesAreDrawnApart();
    void gapStarts_data();
    void gapStarts();
    void setPointsTakesVectorsWithoutCopy();
    void setPointsCutsToShorterLength();
};

void TestWave::init()
{
    Reading::current().reset();
}

void TestWave::looksAsBuilt()
{
    Wave wave;
    QCOMPARE(wave.canvasBackground().color(), QColor(Qt::black));
    QCOMPARE(wave.axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Time"));
    QCOMPARE(wave.axisTitle(QwtPlot::yLeft).text(), QStringLiteral("Value"));
    QVERIFY(dynamic_cast<const TimeScaleDrawR *>(wave.axisScaleDraw(QwtPlot::xBottom)));
    QVERIFY(wave.axisAutoScale(QwtPlot::xBottom));
    QVERIFY(wave.axisAutoScale(QwtPlot::yLeft));

    const QPen curvePen = wave.plotCurve()->pen();
    QCOMPARE(curvePen.color(), QColor(0, 255, 0));
    QCOMPARE(curvePen.width(), 0);
    QCOMPARE(curvePen.style(), Qt::SolidLine);
    QCOMPARE(wave.plotCurve()->style(), QwtPlotCurve::Lines);
    QVERIFY(wave.plotCurve()->title().text().isEmpty());

    const QwtPlotItemList grids = wave.itemList(QwtPlotItem::Rtti_PlotGrid);
    QCOMPARE(grids.size(), 1);
    const auto *grid = static_cast<const QwtPlotGrid *>(grids.first());
    QVERIFY(grid->xEnabled() && grid->yEnabled());
    QCOMPARE(grid->majorPen().color(), QColor(Qt::yellow));
    QCOMPARE(grid->majorPen().width(), 0);
    QCOMPARE(grid->majorPen().style(), Qt::DotLine);

    // The axis starts labelled from the construction time.
    QCOMPARE(axisLabel(wave, 0), wave.timeOrigin().toString("hh:mm:ss"));
    QCOMPARE(wave.pointCount(), 0);
}

void TestWave::addPointUsesWholeSecondsAndReadingValue()
{
    Wave wave;
    const QDateTime origin = wave.timeOrigin();
    const struct { int msecs; double value; } samples[] = {
        {0, 1.5}, {400, -2.0}, {999, 3.25}, {1000, 4.0}, {2500, 0.125}};
    for (const auto &sample : samples) {
        Reading::current().value = sample.value;
        wave.addPoint(origin.addMSecs(sample.msecs));
    }
    // Samples inside one second share its x and draw a vertical stroke.
    const QVector<QPointF> expected = {{0, 1.5}, {0, -2.0}, {0, 3.25}, {1, 4.0}, {2, 0.125}};
    QCOMPARE(curvePoints(wave), expected);
    QCOMPARE(wave.pointCount(), 5);
}

void TestWave::addPointWithCoordinates()
{
    Wave wave;
    wave.addPoint(10.0, 1.0);
    wave.addPoint(11.5, -1.0);
    QCOMPARE(curvePoints(wave), (QVector<QPointF>{{10.0, 1.0}, {11.5, -1.0}}));
}

void TestWave::clearCurveKeepsOriginAndLimits()
{
    Wave wave;
    wave.setYRange(-5.0, 5.0);
    const QDateTime origin = wave.timeOrigin();
    wave.addPoint(1.0, 2.0);
    wave.clearCurve();
    QCOMPARE(curvePoints(wave).size(), 0);
    QCOMPARE(wave.timeOrigin(), origin);
    QCOMPARE(wave.axisScaleDiv(QwtPlot::yLeft).lowerBound(), -5.0);
    QCOMPARE(wave.axisScaleDiv(QwtPlot::yLeft).upperBound(), 5.0);
    // After Stop and Start new points keep counting from the old origin.
    Reading::current().value = 7.0;
    wave.addPoint(origin.addSecs(42));
    QCOMPARE(curvePoints(wave), (QVector<QPointF>{{42.0, 7.0}}));
}

void TestWave::restartFixesYAxisToReadingLimits_data()
{
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");
    QTest::newRow("DCV range 1") << -24.0 << 24.0;
    QTest::newRow("ACV range 3") << 0.0 << 770.0;
    QTest::newRow("TEMP") << -25.0 << 1110.0;
}

void TestWave::restartFixesYAxisToReadingLimits()
{
    QFETCH(double, lower);
    QFETCH(double, upper);
    Wave wave;
    wave.setTimeOrigin(QDateTime(QDate(2000, 1, 1), QTime(1, 2, 3)));
    wave.addPoint(100.0, 3.0);
    Reading::current().plotMin = lower;
    Reading::current().plotMax = upper;

    const QDateTime before = QDateTime::currentDateTime();
    wave.restart();
    QVERIFY(!wave.axisAutoScale(QwtPlot::yLeft));
    QCOMPARE(wave.axisScaleDiv(QwtPlot::yLeft).lowerBound(), lower);
    QCOMPARE(wave.axisScaleDiv(QwtPlot::yLeft).upperBound(), upper);
    QVERIFY(wave.axisAutoScale(QwtPlot::xBottom));
    QCOMPARE(wave.pointCount(), 0);
    QVERIFY(wave.timeOrigin() >= before);
    // The new scale draw labels from the restart time, not the old origin.
    QCOMPARE(axisLabel(wave, 0), wave.timeOrigin().toString("hh:mm:ss"));

    Reading::current().value = 1.0;
    wave.addPoint(wave.timeOrigin().addMSecs(700));
    QCOMPARE(curvePoints(wave), (QVector<QPointF>{{0.0, 1.0}}));
}

void TestWave::setYRangeAndTimeOrigin()
{
    Wave wave;
    const QDateTime startTime = wave.timeOrigin();
    const QDateTime origin(QDate(2026, 1, 2), QTime(23, 59, 0));
    wave.setTimeOrigin(origin);
    wave.setYRange(-2.4, 2.4);
    QCOMPARE(wave.timeOrigin(), startTime);
    QCOMPARE(axisLabel(wave, 61.2), QStringLiteral("00:00:01"));
    QVERIFY(!wave.axisAutoScale(QwtPlot::yLeft));
    // The new limits take effect with the next redraw, as the points follow.
    wave.addPoint(0.0, 0.0);
    QCOMPARE(wave.axisScaleDiv(QwtPlot::yLeft).lowerBound(), -2.4);
    QCOMPARE(wave.axisScaleDiv(QwtPlot::yLeft).upperBound(), 2.4);
}

void TestWave::setPointsTakesVectorsWithoutCopy()
{
    Wave wave;
    wave.addPoint(-1.0, -1.0);
    const int count = 100000;
    QVector<double> x(count);
    QVector<double> y(count);
    for (int i = 0; i < count; ++i) {
        x[i] = i;
        y[i] = i % 17;
    }
    const double *xBuffer = x.constData();
    const double *yBuffer = y.constData();
    wave.setPoints(std::move(x), std::move(y));

    const auto *data = dynamic_cast<const QwtPointArrayData *>(wave.plotCurve()->data());
    QVERIFY(data);
    QCOMPARE(data->xData().constData(), xBuffer);
    QCOMPARE(data->yData().constData(), yBuffer);
    QCOMPARE(wave.pointCount(), count);
    QCOMPARE(data->sample(count - 1), QPointF(count - 1, (count - 1) % 17));
    QCOMPARE(data->boundingRect(), QRectF(0, 0, count - 1, 16));

    // Appending after a bulk fill continues the same series.
    wave.addPoint(double(count), 3.0);
    QCOMPARE(wave.pointCount(), count + 1);
    QCOMPARE(wave.plotCurve()->data()->sample(count), QPointF(count, 3.0));
}

void TestWave::setPointsCutsToShorterLength()
{
    Wave wave;
    wave.setPoints({1, 2, 3}, {10, 20});
    QCOMPARE(curvePoints(wave), (QVector<QPointF>{{1, 10}, {2, 20}}));
    wave.setPoints({}, {});
    QCOMPARE(curvePoints(wave).size(), 0);
}

void TestWave::equalLimitsAndEmptyAxes()
{
    Wave wave;
    wave.addPoint(40.0, 1.0);
    wave.restart();  // before any frame: limits (0, 0)
    // Empty: room around 0, and the restart's second alone on the time axis.
    QVERIFY(wave.axisInterval(QwtPlot::yLeft).minValue() < 0.0);
    QVERIFY(wave.axisInterval(QwtPlot::yLeft).maxValue() > 0.0);
    QCOMPARE(timeTicks(wave), QList<double>({0.0}));
    QVERIFY(wave.axisInterval(QwtPlot::xBottom).maxValue() < 1.0);
    // With points the value axis follows them.
    wave.setPoints({0, 1}, {12000, 15000});
    QVERIFY(wave.axisInterval(QwtPlot::yLeft).contains(15000.0));
}

void TestWave::restartFollowsAgainAfterZoom()
{
    Wave wave;
    wave.resize(600, 400);
    wave.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wave));
    wave.setPoints({0, 10}, {1, 1});
    const QPoint centre = wave.canvas()->rect().center();
    QWheelEvent wheel(centre, wave.canvas()->mapToGlobal(centre), QPoint(), QPoint(0, 120),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(wave.canvas(), &wheel);
    wave.addPoint(30.0, 1.0);
    QVERIFY(!wave.axisInterval(QwtPlot::xBottom).contains(30.0));

    wave.restart();
    wave.setPoints({0, 20}, {1, 1});
    QCOMPARE(wave.axisInterval(QwtPlot::xBottom).maxValue(), 20.0);
}

void TestWave::timeLabelsDoNotOverlap_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<double>("span");
    QTest::newRow("smallest plot, 40 s") << 300 << 40.0;
    QTest::newRow("smallest plot, 3 days") << 300 << 259200.0;
}

void TestWave::timeLabelsDoNotOverlap()
{
    QFETCH(int, width);
    QFETCH(double, span);
    Wave wave;
    wave.resize(width, 300);
    wave.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wave));
    wave.setPoints({0.0, span}, {0.0, 1.0});
    const QList<double> ticks = timeTicks(wave);
    const QFont font = wave.axisWidget(QwtPlot::xBottom)->font();
    const double labelWidth = wave.axisScaleDraw(QwtPlot::xBottom)->labelSize(font, 0).width();
    for (int i = 1; i < ticks.size(); ++i) {
        const QwtScaleMap map = wave.canvasMap(QwtPlot::xBottom);
        QVERIFY(map.transform(ticks.at(i)) - map.transform(ticks.at(i - 1)) > labelWidth);
    }
}

void TestWave::piecesAreDrawnApart()
{
    Wave wave;
    wave.resize(600, 300);
    wave.setYRange(-1.0, 1.0);
    // Two level runs and a lone reading between; a start past the end is dropped.
    wave.setPoints({0, 1, 50, 99, 100}, {0, 0, 0, 0, 0}, {2, 3, 9});
    QCOMPARE(dynamic_cast<const GapCurve *>(wave.plotCurve())->pieceStarts(), QVector<int>({2, 3}));
    wave.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wave));
    const QImage image = wave.canvas()->grab().toImage();
    const QwtScaleMap map = wave.canvasMap(QwtPlot::xBottom);
    const auto green = [&](double x) {
        const int column = int(std::lround(map.transform(x)));
        for (int row = 0; row < image.height(); ++row) {
            if (image.pixelColor(column, row) == QColor(0, 255, 0))
                return true;
        }
        return false;
    };
    QVERIFY(green(0.5) && green(50) && green(99.5));
    QVERIFY(!green(25) && !green(75));
}

void TestWave::gapStarts_data()
{
    QTest::addColumn<QVector<double>>("x");
    QTest::addColumn<QVector<int>>("starts");
    // Fast sampling shares whole seconds: the middle spacing is 0, and a
    // pause counts from five seconds on.
    QTest::newRow("4 s among shared seconds") << QVector<double>{0, 0, 1, 1, 5, 5} << QVector<int>();
    QTest::newRow("5 s among shared seconds") << QVector<double>{0, 0, 1, 1, 6, 6} << QVector<int>{4};
    QTest::newRow("every 10 s: 50 s is no pause, 60 s is")
        << QVector<double>{0, 10, 20, 70, 80, 90, 150, 160} << QVector<int>{6};
}

void TestWave::gapStarts()
{
    QFETCH(QVector<double>, x);
    QFETCH(QVector<int>, starts);
    QCOMPARE(GapCurve::gapStarts(x), starts);
}

QUORVANE_TEST(TestWave);
#include "tst_wave.moc"
