#include "meter/FrameEncoder.h"
#include "tests/common/TestRegistry.h"

#include <QTest>

#include <functional>

using Fields = FrameEncoder::Fields;
Q_DECLARE_METATYPE(std::function<void(Fields &)>)

class TestFrameEncoder : public QObject
{
    Q_OBJECT
private slots:
    void encodesLikeTheMeter();
    void placesEveryFlag_data();
    void placesEveryFlag();
    void rejectsWhatIsNotInTheTable_data();
    void rejectsWhatIsNotInTheTable();
    void keepsFlagsItDoesNotSelectBy();
};

void TestFrameEncoder::encodesLikeTheMeter()
{
    Fields fields;
    QVERIFY(FrameEncoder::fieldsFor(2, 0, 12345, &fields));
    fields.autoRange = false;
    QCOMPARE(FrameEncoder::encode(fields).toHex(' '), QByteArray("30 31 32 33 34 35 3b 30 30 30 30 30 0d 8a"));
}

void TestFrameEncoder::placesEveryFlag_data()
{
    using Setter = std::function<void(Fields &)>;
    QTest::addColumn<Setter>("set");
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("mask");

    QTest::newRow("alternate") << Setter([](Fields &f) { f.alternate = true; }) << 7 << 0x08;
    QTest::newRow("negative") << Setter([](Fields &f) { f.negative = true; }) << 7 << 0x04;
    QTest::newRow("lowBattery") << Setter([](Fields &f) { f.lowBattery = true; }) << 7 << 0x02;
    QTest::newRow("overload") << Setter([](Fields &f) { f.overload = true; }) << 7 << 0x01;
    QTest::newRow("max") << Setter([](Fields &f) { f.max = true; }) << 8 << 0x08;
    QTest::newRow("min") << Setter([](Fields &f) { f.min = true; }) << 8 << 0x04;
    QTest::newRow("relative") << Setter([](Fields &f) { f.relative = true; }) << 8 << 0x02;
    QTest::newRow("maxMinBlink") << Setter([](Fields &f) { f.maxMinBlink = true; }) << 8 << 0x01;
    QTest::newRow("ac") << Setter([](Fields &f) { f.ac = true; }) << 10 << 0x04;
    QTest::newRow("autoRange") << Setter([](Fields &f) { f.autoRange = true; }) << 10 << 0x02;
    QTest::newRow("frequencyMode") << Setter([](Fields &f) { f.frequencyMode = true; }) << 10 << 0x01;
    QTest::newRow("hold") << Setter([](Fields &f) { f.hold = true; }) << 11 << 0x08;
    QTest::newRow("range") << Setter([](Fields &f) { f.range = 0xF; }) << 0 << 0x0F;
    QTest::newRow("code") << Setter([](Fields &f) { f.functionCode = 0xF; }) << 6 << 0x04;
}

void TestFrameEncoder::placesEveryFlag()
{
    using Setter = std::function<void(Fields &)>;
    QFETCH(Setter, set);
    QFETCH(int, byte);
    QFETCH(int, mask);

    Fields plain;
    plain.autoRange = false;
    plain.functionCode = 0xB;
    Fields changed = plain;
    set(changed);
    const QByteArray before = FrameEncoder::encode(plain);
    const QByteArray after = FrameEncoder::encode(changed);
    QCOMPARE(after.size(), 14);
    for (int i = 0; i < 12; ++i) {
        QCOMPARE(uchar(after.at(i)) & 0xF0, 0x30);
        const int diff = uchar(before.at(i)) ^ uchar(after.at(i));
        QCOMPARE(diff, i == byte ? mask : 0);
    }
}

void TestFrameEncoder::rejectsWhatIsNotInTheTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("count");

    QTest::newRow("index -1") << -1 << 0 << 0;
    QTest::newRow("index 18") << 18 << 0 << 0;
    QTest::newRow("negative range") << 2 << -1 << 0;
    QTest::newRow("DCV range 4") << 2 << 4 << 0;
    QTest::newRow("OHM range 7") << 4 << 7 << 0;
    QTest::newRow("CAP range 8") << 7 << 8 << 0;
    QTest::newRow("DUTY range 1") << 9 << 1 << 0;
    QTest::newRow("ACA range 1") << 17 << 1 << 0;
    QTest::newRow("count -1") << 2 << 0 << -1;
    QTest::newRow("count 100000") << 2 << 0 << 100000;
}

void TestFrameEncoder::rejectsWhatIsNotInTheTable()
{
    QFETCH(int, index);
    QFETCH(int, range);
    QFETCH(int, count);
    Fields fields;
    fields.functionCode = 0x6;
    fields.range = 3;
    QVERIFY(!FrameEncoder::fieldsFor(index, range, count, &fields));
    QCOMPARE(fields.functionCode, 0x6);
    QCOMPARE(fields.range, 3);
}

void TestFrameEncoder::keepsFlagsItDoesNotSelectBy()
{
    Fields fields;
    fields.hold = fields.negative = fields.max = true;
    fields.frequencyMode = true;
    QVERIFY(FrameEncoder::fieldsFor(1, 0, 99999, &fields));
    QVERIFY(fields.hold && fields.negative && fields.max);
    QVERIFY(fields.ac && !fields.frequencyMode && !fields.alternate);
    QCOMPARE(fields.range, 4);
    QCOMPARE(fields.functionCode, 0xB);
    for (int digit : fields.digits)
        QCOMPARE(digit, 9);
}

QUORVANE_TEST(TestFrameEncoder);
#include "tst_frameencoder.moc"
