#include "plot/TimeScaleDrawR.h"
#include "plot/TimeScaleEngine.h"
#include "tests/common/TestRegistry.h"

#include <QDateTime>
#include <QSet>
#include <QTest>
#include <qwt_scale_div.h>
#include <qwt_text.h>

#include <cmath>

class TestTimeScaleDrawR : public QObject
{
    Q_OBJECT
private slots:
    void labelsClockTime_data();
    void labelsClockTime();
    void farAxisValuesStayDefined();
    void engineKeepsLabelsDistinct_data();
    void engineKeepsLabelsDistinct();
};

void TestTimeScaleDrawR::labelsClockTime_data()
{
    QTest::addColumn<QDateTime>("base");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("label");

    const QDateTime noon(QDate(2026, 3, 14), QTime(12, 0, 0));
    const QDateTime lateEvening(QDate(2026, 3, 14), QTime(23, 59, 50));
    QTest::newRow("origin") << noon << 0.0 << "12:00:00";
    QTest::newRow("59.9 s is second 59") << noon << 59.9 << "12:00:59";
    QTest::newRow("60 s") << noon << 60.0 << "12:01:00";
    QTest::newRow("fraction below one") << noon << 0.999 << "12:00:00";
    QTest::newRow("negative truncates toward zero") << noon << -0.5 << "12:00:00";
    QTest::newRow("negative whole") << noon << -61.0 << "11:58:59";
    QTest::newRow("an hour on") << noon << 3600.0 << "13:00:00";
    QTest::newRow("before midnight") << lateEvening << 9.0 << "23:59:59";
    QTest::newRow("midnight") << lateEvening << 10.0 << "00:00:00";
    QTest::newRow("after midnight, no date") << lateEvening << 15.5 << "00:00:05";
}

void TestTimeScaleDrawR::labelsClockTime()
{
    QFETCH(QDateTime, base);
    QFETCH(double, value);
    QFETCH(QString, label);
    const TimeScaleDrawR draw(base);
    const QwtText text = draw.label(value);
    QCOMPARE(text.text(), label);
}

void TestTimeScaleDrawR::farAxisValuesStayDefined()
{
    // Zooming far out must neither crash nor wrap around to a nearby time.
    const QDateTime base(QDate(2026, 3, 14), QTime(12, 0, 0));
    const TimeScaleDrawR draw(base);
    const QString far = draw.label(1e15).text();
    QCOMPARE(far, base.addSecs(std::numeric_limits<int>::max()).toString("hh:mm:ss"));
    const QString farBack = draw.label(-1e15).text();
    QCOMPARE(farBack, base.addSecs(std::numeric_limits<int>::min()).toString("hh:mm:ss"));
}

void TestTimeScaleDrawR::engineKeepsLabelsDistinct_data()
{
    QTest::addColumn<double>("last");
    QTest::addColumn<int>("maxSteps");
    // Readings within one second share x = 0.
    QTest::newRow("0.3 s") << 0.0 << 8;
    QTest::newRow("5 s") << 5.0 << 8;
    QTest::newRow("10 min") << 600.0 << 8;
    QTest::newRow("3 days") << 259200.0 << 8;
    QTest::newRow("3 days, wide plot") << 259200.0 << 30;
}

void TestTimeScaleDrawR::engineKeepsLabelsDistinct()
{
    QFETCH(double, last);
    QFETCH(int, maxSteps);
    const TimeScaleEngine engine;
    double x1 = 0.0;
    double x2 = last;
    double step = 0.0;
    engine.autoScale(maxSteps, x1, x2, step);
    // The axis ends within the newest second: no time that has not happened.
    QVERIFY(x1 <= 0.0 && x2 >= last && x2 < last + 1.0);

    const QList<double> ticks = engine.divideScale(x1, x2, maxSteps, 5, step).ticks(QwtScaleDiv::MajorTick);
    QVERIFY(!ticks.isEmpty() && ticks.size() <= maxSteps + 1);
    const TimeScaleDrawR draw(QDateTime(QDate(2026, 3, 14), QTime(12, 0, 0)));
    QSet<QString> labels;
    for (double tick : ticks) {
        QCOMPARE(tick, std::round(tick));
        labels.insert(draw.label(tick).text());
    }
    QCOMPARE(labels.size(), ticks.size());
}

QUORVANE_TEST(TestTimeScaleDrawR);
#include "tst_timescaledrawr.moc"
