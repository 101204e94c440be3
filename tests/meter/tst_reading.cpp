#include "meter/Reading.h"
#include "tests/common/TestRegistry.h"

#include <QTest>

class TestReading : public QObject
{
    Q_OBJECT
private slots:
    void startsWithEveryIndicatorLit();
    void isOneSharedObject();
};

void TestReading::startsWithEveryIndicatorLit()
{
    Reading &r = Reading::current();
    r.reset();
    QCOMPARE(r.functionText, QStringLiteral("DCV"));
    QCOMPARE(r.valueText, QStringLiteral("8.000"));
    QCOMPARE(r.unitText, QStringLiteral("mV"));
    QCOMPARE(r.functionIndex, -1);
    QCOMPARE(r.range, -1);
    QCOMPARE(r.value, -1.0);
    QVERIFY(r.autoRange && r.manualRange && r.rs232 && r.hold && r.relative);
    QVERIFY(r.lowBattery && r.max && r.min && r.negative);
    QVERIFY(!r.maxMinBlink);
    QVERIFY(!r.overload);
}

void TestReading::isOneSharedObject()
{
    Reading::current().valueText = QStringLiteral("1.2345");
    QCOMPARE(Reading::current().valueText, QStringLiteral("1.2345"));
    QCOMPARE(&Reading::current(), &Reading::current());
    Reading::current().reset();
}

QUORVANE_TEST(TestReading);
#include "tst_reading.moc"
