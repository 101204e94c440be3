#include "plot/TimeScaleDrawR.h"
#include "tests/common/TestRegistry.h"

#include <QDateTime>
#include <QTest>
#include <qwt_text.h>

class TestTimeScaleDrawR : public QObject
{
    Q_OBJECT
private slots:
    void labelsClockTime_data();
    void labelsClockTime();
    void farAxisValuesStayDefined();
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

QUORVANE_TEST(TestTimeScaleDrawR);
#include "tst_timescaledrawr.moc"
