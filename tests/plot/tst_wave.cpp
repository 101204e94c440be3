#include "plot/GapCurve.h"
#include "plot/SummarySeries.h"
#include "plot/TimeScaleDrawR.h"
#include "plot/Wave.h"
#include "tests/common/TestRegistry.h"

#include <QImage>
#include <QTest>
#include <QWheelEvent>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_panner.h>
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

const GapCurve *gapCurve(const Wave &wave)
{
    return dynamic_cast<const GapCurve *>(wave.plotCurve());
}

void showAndWait(Wave &wave, int width, int height)
{
    wave.resize(width, height);
    wave.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wave));
}

// Whether any pixel of the column at plot value x is the curve's green,
// optionally only in the rows around value y.
bool greenAt(const Wave &wave, const QImage &image, double x, const double *y = nullptr)
{
    const int column = int(std::lround(wave.canvasMap(QwtPlot::xBottom).transform(x)));
    int top = 0;
    int bottom = image.height() - 1;
    if (y) {
        const int row = int(std::lround(wave.canvasMap(QwtPlot::yLeft).transform(*y)));
        top = std::max(0, row - 1);
        bottom = std::min(bottom, row + 1);
    }
    for (int row = top; row <= bottom; ++row) {
        if (image.pixelColor(column, row) == QColor(0, 255, 0))
            return true;
    }
    return false;
}

void wheel(Wave &wave, int delta, QPoint at = QPoint())
{
    if (at.isNull())
        at = wave.canvas()->rect().center();
    QWheelEvent event(at, wave.canvas()->mapToGlobal(at), QPoint(), QPoint(0, delta),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(wave.canvas(), &event);
}
}

class TestWave : public QObject
{
    Q_OBJECT
private slots:
    void looksAsBuilt();
    void addPointUsesWholeSecondsAndReadingValue();
    void addPointWithCoordinates();
    void clearCurveKeepsOriginAndLimits();
    void restartFixesYAxisToReadingLimits_data();
    void restartFixesYAxisToReadingLimits();
    void setYRangeAndTimeOrigin();
    void equalLimitsAndEmptyAxes();
    void restartFollowsAgainAfterZoom();
    void wheelZoomsAroundPointerUntilReset();
    void timeLabelsDoNotOverlap_data();
    void timeLabelsDoNotOverlap();
    void piecesAreDrawnApart_data();
    void piecesAreDrawnApart();
    void gapStarts_data();
    void gapStarts();
    void setPointsTakesVectorsWithoutCopy();
    void setPointsCutsToShorterLength();
    void spikeAmongFlatPointsIsDrawn_data();
    void spikeAmongFlatPointsIsDrawn();
    void columnsKeepTheirExtremes_data();
    void columnsKeepTheirExtremes();
};

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
    for (const auto &sample : samples)
        wave.addPoint(origin.addMSecs(sample.msecs), sample.value);
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
    wave.addPoint(origin.addSecs(42), 7.0);
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

    const QDateTime before = QDateTime::currentDateTime();
    wave.restart(lower, upper);
    QVERIFY(!wave.axisAutoScale(QwtPlot::yLeft));
    QCOMPARE(wave.axisScaleDiv(QwtPlot::yLeft).lowerBound(), lower);
    QCOMPARE(wave.axisScaleDiv(QwtPlot::yLeft).upperBound(), upper);
    QVERIFY(wave.axisAutoScale(QwtPlot::xBottom));
    QCOMPARE(wave.pointCount(), 0);
    QVERIFY(wave.timeOrigin() >= before);
    // The new scale draw labels from the restart time, not the old origin.
    QCOMPARE(axisLabel(wave, 0), wave.timeOrigin().toString("hh:mm:ss"));

    wave.addPoint(wave.timeOrigin().addMSecs(700), 1.0);
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
    QVERIFY(gapCurve(wave)->isSummarised());

    const auto *series = dynamic_cast<const SummarySeries *>(wave.plotCurve()->data());
    QVERIFY(series);
    const auto *data = dynamic_cast<const SummarySeries::Arrays *>(series->pointSource());
    QVERIFY(data);
    QCOMPARE(data->xData().constData(), xBuffer);
    QCOMPARE(data->yData().constData(), yBuffer);
    QCOMPARE(wave.pointCount(), count);
    QCOMPARE(series->sample(count - 1), QPointF(count - 1, (count - 1) % 17));
    QCOMPARE(series->boundingRect(), QRectF(0, 0, count - 1, 16));

    // Appending after a bulk fill continues the same series.
    wave.addPoint(double(count), 3.0);
    QCOMPARE(wave.pointCount(), count + 1);
    QCOMPARE(wave.plotCurve()->data()->sample(count), QPointF(count, 3.0));
    // ... and draws every point, as the live plot does.
    QVERIFY(!gapCurve(wave)->isSummarised());
    QCOMPARE(gapCurve(wave)->drawnPoints(wave.canvasMap(QwtPlot::xBottom), QRectF(0, 0, 10, 10), 0, count).size(),
             count + 1);
}

void TestWave::setPointsCutsToShorterLength()
{
    Wave wave;
    wave.setPoints({1, 2, 3}, {10, 20});
    QCOMPARE(curvePoints(wave), (QVector<QPointF>{{1, 10}, {2, 20}}));
    wave.setPoints({}, {});
    QCOMPARE(curvePoints(wave).size(), 0);
    // Times out of order cannot be looked up by column: every point is drawn.
    wave.setPoints({0, 2, 1}, {1, 2, 3});
    QVERIFY(!gapCurve(wave)->isSummarised());
    QCOMPARE(curvePoints(wave).size(), 3);
}

void TestWave::equalLimitsAndEmptyAxes()
{
    Wave wave;
    wave.addPoint(40.0, 1.0);
    wave.restart(0.0, 0.0);  // before any frame: limits (0, 0)
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
    showAndWait(wave, 600, 400);
    wave.setPoints({0, 10}, {1, 1});
    wheel(wave, 120);
    wave.addPoint(30.0, 1.0);
    QVERIFY(!wave.axisInterval(QwtPlot::xBottom).contains(30.0));

    wave.restart(0.0, 0.0);
    wave.setPoints({0, 20}, {1, 1});
    QCOMPARE(wave.axisInterval(QwtPlot::xBottom).maxValue(), 20.0);
}

void TestWave::wheelZoomsAroundPointerUntilReset()
{
    Wave wave;
    showAndWait(wave, 600, 400);
    wave.setYRange(-10, 10);
    wave.setPoints({0, 100}, {-5, 5});
    const QwtScaleWidget *axis = wave.axisWidget(QwtPlot::yLeft);   // room for labels and title
    QVERIFY(axis->width() >= axis->dimForLength(axis->height(), axis->font()));
    const QPoint at(150, 100);
    for (bool doubleClick : {true, false}) {
        // Up zooms in, down out; the point under the pointer stays (but for a relayout's pixel).
        const QPointF fixed(wave.invTransform(QwtPlot::xBottom, at.x()),
                            wave.invTransform(QwtPlot::yLeft, at.y()));
        for (int delta : {240, -120}) {
            const double width = wave.axisInterval(QwtPlot::xBottom).width();
            wheel(wave, delta, at);
            QVERIFY((wave.axisInterval(QwtPlot::xBottom).width() < width) == (delta > 0));
            QVERIFY(qAbs(wave.invTransform(QwtPlot::xBottom, at.x()) - fixed.x()) < width / 100
                    && qAbs(wave.invTransform(QwtPlot::yLeft, at.y()) - fixed.y()) < 0.2);
        }
        doubleClick ? QTest::mouseDClick(wave.canvas(), Qt::LeftButton, Qt::NoModifier, at)
                    : QTest::keyClick(wave.canvas(), Qt::Key_Home);
        wave.addPoint(200.0, 0.0);   // all shown again, new points followed
        QVERIFY(wave.axisInterval(QwtPlot::yLeft) == QwtInterval(-10, 10)
                && wave.axisInterval(QwtPlot::xBottom).contains(200.0));
    }
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
    showAndWait(wave, width, 300);
    wave.setPoints({0.0, span}, {0.0, 1.0});
    const QList<double> ticks = timeTicks(wave);
    const QFont font = wave.axisWidget(QwtPlot::xBottom)->font();
    const double labelWidth = wave.axisScaleDraw(QwtPlot::xBottom)->labelSize(font, 0).width();
    for (int i = 1; i < ticks.size(); ++i) {
        const QwtScaleMap map = wave.canvasMap(QwtPlot::xBottom);
        QVERIFY(map.transform(ticks.at(i)) - map.transform(ticks.at(i - 1)) > labelWidth);
    }
}

void TestWave::piecesAreDrawnApart_data()
{
    QTest::addColumn<int>("perRun");
    QTest::newRow("every point drawn") << 2;
    QTest::newRow("a few per column") << 200000;
}

void TestWave::piecesAreDrawnApart()
{
    QFETCH(int, perRun);
    // Two level runs and a lone reading between; a start past the end is dropped.
    QVector<double> x;
    for (int i = 0; i < perRun; ++i)
        x.append(double(i) / (perRun - 1));
    x.append(50);
    for (int i = 0; i < perRun; ++i)
        x.append(99 + double(i) / (perRun - 1));
    const int count = x.size();
    Wave wave;
    wave.setYRange(-1.0, 1.0);
    wave.setPoints(std::move(x), QVector<double>(count, 0.0), {perRun, perRun + 1, count + 7});
    QCOMPARE(gapCurve(wave)->pieceStarts(), QVector<int>({perRun, perRun + 1}));
    showAndWait(wave, 600, 300);
    const QImage image = wave.canvas()->grab().toImage();
    QVERIFY(greenAt(wave, image, 0.5) && greenAt(wave, image, 50) && greenAt(wave, image, 99.5));
    QVERIFY(!greenAt(wave, image, 25) && !greenAt(wave, image, 75));
}

void TestWave::spikeAmongFlatPointsIsDrawn_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<double>("spike");
    QTest::newRow("up, first point") << 0 << 1.0;
    QTest::newRow("down, in the middle") << 612345 << -1.0;
    QTest::newRow("up, last point") << 999999 << 1.0;
}

void TestWave::spikeAmongFlatPointsIsDrawn()
{
    QFETCH(int, at);
    QFETCH(double, spike);
    const int count = 1000000;
    QVector<double> y(count, 0.0);
    y[at] = spike;
    QVector<double> x(count);
    for (int i = 0; i < count; ++i)
        x[i] = i;
    Wave wave;
    wave.setYRange(-2.0, 2.0);
    wave.setPoints(std::move(x), std::move(y));
    showAndWait(wave, 800, 400);

    const QRectF canvasRect = wave.canvas()->contentsRect();
    const QVector<int> drawn = gapCurve(wave)->drawnPoints(wave.canvasMap(QwtPlot::xBottom), canvasRect, 0, count - 1);
    QVERIFY(drawn.contains(at));
    QVERIFY(drawn.size() <= 4 * (int(canvasRect.width()) + 2));
    const QImage image = wave.canvas()->grab().toImage();
    QVERIFY(greenAt(wave, image, at, &spike));
}

void TestWave::columnsKeepTheirExtremes_data()
{
    QTest::addColumn<int>("wheelDelta");
    QTest::addColumn<int>("panBy");
    QTest::newRow("whole series") << 0 << 0;
    QTest::newRow("zoomed in") << 1200 << 0;
    QTest::newRow("zoomed in and panned") << 2400 << 250;
    QTest::newRow("zoomed out") << -240 << 0;
}

void TestWave::columnsKeepTheirExtremes()
{
    QFETCH(int, wheelDelta);
    QFETCH(int, panBy);
    // A wave with noise; several readings share each whole second.
    const int count = 1000000;
    QVector<double> x(count);
    QVector<double> y(count);
    quint32 noise = 1;
    for (int i = 0; i < count; ++i) {
        noise = noise * 1664525u + 1013904223u;
        x[i] = i / 16;
        y[i] = std::sin(i / 5000.0) + (noise >> 8) / double(1 << 24) * 0.2;
    }
    Wave wave;
    wave.setPoints(x, y);
    showAndWait(wave, 700, 400);
    if (wheelDelta != 0)
        wheel(wave, wheelDelta);
    if (panBy != 0)
        emit wave.canvas()->findChild<QwtPlotPanner *>()->panned(panBy, 0);

    const QwtScaleMap map = wave.canvasMap(QwtPlot::xBottom);
    const QRectF canvasRect = wave.canvas()->contentsRect();
    const QVector<int> drawn = gapCurve(wave)->drawnPoints(map, canvasRect, 0, count - 1);
    QVERIFY(std::is_sorted(drawn.cbegin(), drawn.cend()));
    QVERIFY(drawn.size() <= 4 * (int(canvasRect.width()) + 2));

    // Per pixel column: the lowest and highest drawn value are those of all
    // its points.
    const int left = int(std::floor(canvasRect.left()));
    const int right = int(std::ceil(canvasRect.right()));
    const double low = std::numeric_limits<double>::infinity();
    QVector<QPair<double, double>> all(right - left + 1, {low, -low});
    QVector<QPair<double, double>> shown = all;
    const auto widen = [&](QVector<QPair<double, double>> &columns, int i) {
        const int column = qRound(map.transform(x.at(i))) - left;
        if (column >= 0 && column < columns.size()) {
            columns[column].first = std::min(columns.at(column).first, y.at(i));
            columns[column].second = std::max(columns.at(column).second, y.at(i));
        }
    };
    for (int i = 0; i < count; ++i)
        widen(all, i);
    for (int i : drawn)
        widen(shown, i);
    QCOMPARE(shown, all);
    const int filled = int(std::count_if(all.cbegin(), all.cend(), [&](const auto &c) { return c.first < low; }));
    QVERIFY2(filled > all.size() / 3, qPrintable(QString::number(filled)));
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
    // Thousands of distinct spacings take the other way to the middle one.
    QVector<double> uneven{0};
    for (int i = 1; i < 6000; ++i)
        uneven.append(uneven.last() + (i == 2000 ? 40 : i == 3000 ? 100 : 10 + i * 1e-6));
    QTest::newRow("6000 distinct spacings near 10 s: 40 s is no pause, 100 s is")
        << uneven << QVector<int>{3000};
}

void TestWave::gapStarts()
{
    QFETCH(QVector<double>, x);
    QFETCH(QVector<int>, starts);
    QCOMPARE(GapCurve::gapStarts(x), starts);
}

QUORVANE_TEST(TestWave);
#include "tst_wave.moc"
