#include "plot/TimeScaleDrawR.h"
#include "plot/TimeScaleEngine.h"
#include "tests/common/TestRegistry.h"

#include <QDateTime>
#include <QSet>
#include <QTest>
#include <qwt_scale_div.h>
#include <qwt_text.h>

#include <cmath>

class TestTimeScaleEngine : public QObject
{
    Q_OBJECT
private slots:
    void labelsStayDistinct_data();
    void labelsStayDistinct();
};

void TestTimeScaleEngine::labelsStayDistinct_data()
{
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("last");
    QTest::addColumn<int>("maxSteps");
    QTest::addColumn<int>("leastTicks");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("upper");

    // Points within one second share x = 0: that second alone, one label.
    QTest::newRow("0.3 s") << 0.0 << 0.0 << 8 << 1 << -0.5 << 0.5;
    QTest::newRow("0.3 s, zoomed") << 0.1 << 0.4 << 8 << 0 << 0.1 << 0.4;
    QTest::newRow("5 s") << 0.0 << 5.0 << 8 << 6 << 0.0 << 5.0;
    QTest::newRow("5 s, narrow plot") << 0.0 << 5.0 << 2 << 2 << 0.0 << 5.0;
    QTest::newRow("10 min") << -30.0 << 570.0 << 8 << 5 << -30.0 << 570.0;
    QTest::newRow("3 days") << 0.0 << 259200.0 << 8 << 3 << 0.0 << 259200.0;
    QTest::newRow("3 days, wide plot") << 0.0 << 259200.0 << 30 << 3 << 0.0 << 259200.0;
    QTest::newRow("a day and a second") << 0.0 << 86401.0 << 4 << 2 << 0.0 << 86401.0;
    QTest::newRow("a year") << 0.0 << 31536000.0 << 10 << 2 << 0.0 << 31536000.0;
}

void TestTimeScaleEngine::labelsStayDistinct()
{
    QFETCH(double, first);
    QFETCH(double, last);
    QFETCH(int, maxSteps);
    QFETCH(int, leastTicks);
    QFETCH(double, lower);
    QFETCH(double, upper);

    const TimeScaleEngine engine;
    double x1 = first;
    double x2 = last;
    double step = 0.0;
    engine.autoScale(maxSteps, x1, x2, step);
    // The axis ends where the data ends: no time that has not happened.
    QCOMPARE(x1, lower);
    QCOMPARE(x2, upper);

    const QwtScaleDiv division = engine.divideScale(x1, x2, maxSteps, 5, step);
    const QList<double> ticks = division.ticks(QwtScaleDiv::MajorTick);
    QVERIFY2(ticks.size() >= leastTicks, qPrintable(QString::number(ticks.size())));
    QVERIFY(ticks.size() <= maxSteps + 1);

    const TimeScaleDrawR draw(QDateTime(QDate(2026, 3, 14), QTime(12, 0, 0)));
    QSet<QString> labels;
    for (int i = 0; i < ticks.size(); ++i) {
        QCOMPARE(ticks.at(i), std::round(ticks.at(i)));
        QVERIFY(ticks.at(i) >= x1 && ticks.at(i) <= x2);
        if (i > 0)
            QVERIFY(ticks.at(i) - ticks.at(i - 1) >= 1.0);
        labels.insert(draw.label(ticks.at(i)).text());
    }
    QCOMPARE(labels.size(), ticks.size());
}

QUORVANE_TEST(TestTimeScaleEngine);
#include "tst_timescaleengine.moc"
