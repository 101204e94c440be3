#include "display/DataLabel.h"
#include "display/MaxMin.h"
#include "display/MinusButton.h"
#include "display/ScaleBar.h"
#include "display/ShowData.h"
#include "display/StateLabel.h"
#include "display/Table.h"
#include "display/Widget.h"
#include "meter/Reading.h"
#include "plot/Wave.h"
#include "tests/common/TestRegistry.h"

#include <QFrame>
#include <QSplitter>
#include <QTest>
#include <qwt_plot_curve.h>
#include <qwt_scale_div.h>

namespace {
// Fills the reading as the decoder would for a DC voltage in range 1.
void decodeVolts(double value, bool hold = false)
{
    Reading &r = Reading::current();
    r.functionText = QStringLiteral("DCV");
    r.unitText = QStringLiteral("V");
    r.functionIndex = 2;
    r.range = 1;
    r.decimals = 3;
    r.plotMax = 24.0;
    r.plotMin = -24.0;
    r.value = value;
    r.negative = value < 0;
    r.valueText = QString::number(qAbs(value), 'f', 3);
    r.barValue = qAbs(value);
    r.hold = hold;
    r.autoRange = true;
    r.manualRange = r.relative = r.lowBattery = r.max = r.min = false;
    r.maxMinBlink = r.overload = false;
}

// One sampling tick as acquisition control runs it.
void tick(Widget &widget)
{
    widget.addSample();
    widget.showReading();
    widget.updateBar();
}

QString valueShown(const Widget &widget)
{
    return widget.panel()->findChild<DataLabel *>()->text();
}

bool lit(const Widget &widget, const char *name)
{
    return widget.panel()->findChild<StateLabel *>(QLatin1String(name))->styleSheet()
            == QLatin1String(StateLabel::LitStyle);
}

QPointF lastPoint(const Widget &widget)
{
    const QwtSeriesData<QPointF> *data = widget.plot()->plotCurve()->data();
    return data->sample(data->size() - 1);
}
}

class TestWidget : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void laysOutPanelTableStripAndPlot();
    void sampleGoesEverywhere();
    void fiveHundredRowLimit();
    void holdFreezesThePanel();
    void functionChangeMidSeries();
    void showReadingShowsRecordedExtremes_data();
    void showReadingShowsRecordedExtremes();
    void startAndStop();
};

void TestWidget::init()
{
    Reading::current().reset();
}

void TestWidget::laysOutPanelTableStripAndPlot()
{
    Widget widget;
    const auto *main = qobject_cast<QSplitter *>(widget.plot()->parentWidget());
    QVERIFY(main);
    QCOMPARE(main->orientation(), Qt::Horizontal);
    QCOMPARE(main->count(), 2);
    const auto *left = qobject_cast<QSplitter *>(main->widget(0));
    QVERIFY(left);
    QCOMPARE(left->orientation(), Qt::Vertical);
    QCOMPARE(main->widget(1), widget.plot());
    QCOMPARE(main->widget(0)->sizePolicy().horizontalStretch(), 1);
    QCOMPARE(main->widget(1)->sizePolicy().horizontalStretch(), 1);

    const QWidget *parts[] = {widget.panel(), widget.liveTable(), widget.maxMinPanel()};
    const int stretch[] = {3, 2, 1};
    QCOMPARE(left->count(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(left->widget(i), parts[i]);
        QCOMPARE(left->widget(i)->sizePolicy().verticalStretch(), stretch[i]);
    }
    QCOMPARE(main->parentWidget(), &widget);

    const Table *table = widget.liveTable();
    QCOMPARE(table->columnCount(), 3);
    QCOMPARE(table->horizontalHeaderItem(0)->text(), QStringLiteral("Time"));
    QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("Data"));
    QCOMPARE(table->horizontalHeaderItem(2)->text(), QStringLiteral("Func"));
}

void TestWidget::sampleGoesEverywhere()
{
    Widget widget;
    decodeVolts(-1.25);
    widget.slot_funcRangeChange();
    const QDateTime before = QDateTime::currentDateTime();
    tick(widget);
    const QDateTime stamped = Reading::current().time;
    QVERIFY(stamped >= before && stamped <= QDateTime::currentDateTime());

    QCOMPARE(valueShown(widget), QStringLiteral("1.250"));
    QCOMPARE(widget.liveTable()->rowCount(), 1);
    QCOMPARE(widget.liveTable()->item(0, 0)->text(), stamped.toString("yyyy-MM-dd hh:mm:ss"));
    QCOMPARE(widget.liveTable()->item(0, 1)->text(), QStringLiteral("-1.250 V"));
    QCOMPARE(widget.plot()->pointCount(), 1);
    QCOMPARE(lastPoint(widget).y(), -1.25);
    QCOMPARE(widget.maxMinPanel()->maxText(), QStringLiteral("-1.250"));
    QCOMPARE(widget.maxMinPanel()->minText(), QStringLiteral("-1.250"));

    // The bar follows the magnitude: 1.25 lights segments 0 to 2.
    int segments = 0;
    for (const QFrame *s : widget.panel()->findChild<ScaleBar *>()->segmentButtons())
        segments += s->isHidden() ? 0 : 1;
    QCOMPARE(segments, 3);

    widget.setLinkIndicator(false);
    QVERIFY(!lit(widget, "RS232"));
    widget.setLinkIndicator(true);
    QVERIFY(lit(widget, "RS232"));
}

void TestWidget::fiveHundredRowLimit()
{
    Widget widget;
    decodeVolts(1.0);
    widget.slot_funcRangeChange();
    for (int i = 0; i < 500; ++i) {
        decodeVolts(i == 250 ? 9.5 : 1.0 + (i % 10) * 0.01);
        tick(widget);
    }
    QCOMPARE(widget.liveTable()->rowCount(), 500);
    QCOMPARE(widget.plot()->pointCount(), 500);

    // A user zoom or pan would have fixed the axes; the restart sets y anew.
    widget.plot()->setYRange(-1.0, 1.0);
    const QDateTime before = QDateTime::currentDateTime();
    decodeVolts(2.5);
    tick(widget);
    QCOMPARE(widget.liveTable()->rowCount(), 1);
    QCOMPARE(widget.liveTable()->item(0, 1)->text(), QStringLiteral("2.500 V"));
    QCOMPARE(widget.plot()->pointCount(), 1);
    QCOMPARE(lastPoint(widget), QPointF(0.0, 2.5));
    QVERIFY(widget.plot()->timeOrigin() >= before);
    QCOMPARE(widget.plot()->axisScaleDiv(QwtPlot::yLeft).lowerBound(), -24.0);
    QCOMPARE(widget.plot()->axisScaleDiv(QwtPlot::yLeft).upperBound(), 24.0);
    // The max/min strip is not reset by the limit.
    QCOMPARE(widget.maxMinPanel()->maxText(), QStringLiteral("9.500"));
    QCOMPARE(widget.maxMinPanel()->minText(), QStringLiteral("1.000"));
}

void TestWidget::holdFreezesThePanel()
{
    Widget widget;
    decodeVolts(1.0);
    widget.slot_funcRangeChange();
    const QStringList shown = {"1.000", "2.000", "3.000", "4.000", "5.000",
                               "5.000", "5.000", "5.000", "5.000", "10.000", "11.000"};
    for (int i = 1; i <= shown.size(); ++i) {
        decodeVolts(i, i >= 5 && i <= 8);
        tick(widget);
        QCOMPARE(valueShown(widget), shown.at(i - 1));
        if (i == 5)
            QVERIFY2(lit(widget, "HOLD"), "the first held sample shows HOLD");
        if (i == 10)
            QVERIFY(!lit(widget, "HOLD"));
    }
    // Table, plot and strip take every sample, held or not.
    QCOMPARE(widget.liveTable()->rowCount(), shown.size());
    QCOMPARE(widget.liveTable()->item(6, 1)->text(), QStringLiteral("7.000 V"));
    QCOMPARE(widget.liveTable()->item(8, 1)->text(), QStringLiteral("9.000 V"));
    QCOMPARE(widget.plot()->pointCount(), shown.size());
    QCOMPARE(widget.maxMinPanel()->maxText(), QStringLiteral("11.000"));
}

void TestWidget::functionChangeMidSeries()
{
    Widget widget;
    decodeVolts(1.0);
    widget.slot_funcRangeChange();
    for (int i = 0; i < 20; ++i) {
        decodeVolts(1.0 + i);
        tick(widget);
    }
    const QDateTime before = QDateTime::currentDateTime();

    // The decoder writes the new reading, then signals the change.
    Reading &r = Reading::current();
    r.functionText = QStringLiteral("OHM");
    r.unitText = QStringLiteral("kΩ");
    r.functionIndex = 4;
    r.range = 3;
    r.decimals = 2;
    r.plotMax = 240.0;
    r.plotMin = 0.0;
    r.value = 47.5;
    r.negative = false;
    r.valueText = QStringLiteral("47.50");
    widget.slot_funcRangeChange();
    QCOMPARE(widget.liveTable()->rowCount(), 0);
    QCOMPARE(widget.plot()->pointCount(), 0);
    tick(widget);

    QCOMPARE(widget.liveTable()->rowCount(), 1);
    QCOMPARE(widget.liveTable()->item(0, 2)->text(), QStringLiteral("OHM"));
    QCOMPARE(widget.plot()->pointCount(), 1);
    QCOMPARE(lastPoint(widget), QPointF(0.0, 47.5));
    QVERIFY(widget.plot()->timeOrigin() >= before);
    QCOMPARE(widget.plot()->axisScaleDiv(QwtPlot::yLeft).lowerBound(), 0.0);
    QCOMPARE(widget.plot()->axisScaleDiv(QwtPlot::yLeft).upperBound(), 240.0);
    QCOMPARE(widget.maxMinPanel()->maxText(), QStringLiteral("47.50"));
    QCOMPARE(widget.maxMinPanel()->minText(), QStringLiteral("47.50"));
}

void TestWidget::showReadingShowsRecordedExtremes_data()
{
    QTest::addColumn<bool>("max");
    QTest::addColumn<bool>("min");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("minus");
    QTest::newRow("neither: the reading") << false << false << "2.000" << true;
    QTest::newRow("MAX") << true << false << "1.000" << true;
    QTest::newRow("MIN") << false << true << "3.000" << true;
    QTest::newRow("both: min wins") << true << true << "3.000" << true;
}

void TestWidget::showReadingShowsRecordedExtremes()
{
    QFETCH(bool, max);
    QFETCH(bool, min);
    QFETCH(QString, shown);
    QFETCH(bool, minus);
    Widget widget;
    decodeVolts(-3.0);
    widget.slot_funcRangeChange();
    tick(widget);
    decodeVolts(-1.0);
    tick(widget);
    decodeVolts(-2.0);
    Reading::current().max = max;
    Reading::current().min = min;
    tick(widget);
    QCOMPARE(valueShown(widget), shown);
    QCOMPARE(widget.panel()->findChild<MinusButton *>(QString(), Qt::FindDirectChildrenOnly)
                     ->styleSheet() == QLatin1String("background-color: rgb(0, 255, 0);"),
             minus);
    QCOMPARE(lit(widget, "MAX"), max);
    QCOMPARE(lit(widget, "MIN"), min);
}

void TestWidget::startAndStop()
{
    Widget widget;
    decodeVolts(4.0);
    widget.slot_funcRangeChange();
    tick(widget);
    decodeVolts(6.0);
    tick(widget);
    const QDateTime origin = widget.plot()->timeOrigin();

    // Start after Stop: table and curve emptied, origin and extremes kept.
    widget.clearForStart();
    QCOMPARE(widget.liveTable()->rowCount(), 0);
    QCOMPARE(widget.plot()->pointCount(), 0);
    QCOMPARE(widget.plot()->timeOrigin(), origin);
    QCOMPARE(widget.maxMinPanel()->maxText(), QStringLiteral("6.000"));
    QCOMPARE(widget.maxMinPanel()->minText(), QStringLiteral("4.000"));

    // The watchdog: emptied and restarted, RS232 dark, panel and strip kept.
    decodeVolts(5.0);
    tick(widget);
    widget.setLinkIndicator(true);
    widget.stopUpdate();
    QCOMPARE(widget.liveTable()->rowCount(), 0);
    QCOMPARE(widget.plot()->pointCount(), 0);
    QVERIFY(widget.plot()->timeOrigin() >= origin);
    QVERIFY(!lit(widget, "RS232"));
    QCOMPARE(valueShown(widget), QStringLiteral("5.000"));
    QCOMPARE(widget.maxMinPanel()->maxText(), QStringLiteral("6.000"));
}

QUORVANE_TEST(TestWidget);
#include "tst_widget.moc"
