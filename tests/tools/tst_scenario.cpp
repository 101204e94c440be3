#include "meter/FrameDecoder.h"
#include "meter/FrameEncoder.h"
#include "meter/Reading.h"
#include "tests/common/TestRegistry.h"
#include "tools/metersim/Scenario.h"

#include <QMap>
#include <QSet>
#include <QTest>

#include <cmath>

class TestScenario : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void tourDecodesAsIntended();
    void tourCoversEveryRangeAndIndicator();
    void tourHoldsEachState();
    void sameSeedSameFrames_data();
    void sameSeedSameFrames();
    void dcWandersWithinSensibleRanges();
    void unknownScenarioIsInvalid();

private:
    // Feeds one frame and a filler byte, so the frame is complete and newest.
    static bool decode(FrameDecoder *link, const Scenario::Frame &frame);
};

void TestScenario::init()
{
    Reading::current().reset();
}

bool TestScenario::decode(FrameDecoder *link, const Scenario::Frame &frame)
{
    link->appendReceived(frame.bytes() + QByteArray(1, '\0'));
    return link->takeLatestFrame();
}

void TestScenario::tourDecodesAsIntended()
{
    FrameDecoder link;
    Scenario tour(QStringLiteral("tour"), 7, 1);
    QVERIFY(tour.tourLength() > 48);
    const Reading &r = Reading::current();
    for (int i = 0; i < tour.tourLength(); ++i) {
        const Scenario::Frame frame = tour.next();
        const FrameEncoder::Fields &f = frame.fields;
        QVERIFY2(decode(&link, frame), qPrintable(frame.label));
        QCOMPARE(r.functionIndex, frame.functionIndex);
        QCOMPARE(r.range, frame.range);
        QCOMPARE(r.overload, f.overload);
        QCOMPARE(r.hold, f.hold);
        QCOMPARE(r.relative, f.relative);
        QCOMPARE(r.max, f.max);
        QCOMPARE(r.min, f.min);
        QCOMPARE(r.maxMinBlink, f.maxMinBlink);
        QCOMPARE(r.lowBattery, f.lowBattery);
        // The temperature functions never show MANU.
        const bool temperature = frame.functionIndex == 10 || frame.functionIndex == 11;
        QCOMPARE(r.manualRange, !f.autoRange && !temperature);
        if (f.overload) {
            QVERIFY2(r.valueText.contains(QLatin1Char('L')), qPrintable(frame.label));
            QCOMPARE(r.negative, f.negative);
            continue;
        }
        const double magnitude = frame.count / std::pow(10.0, r.decimals);
        if (frame.functionIndex == 11) {
            // The meter sends Celsius counts; the program shows Fahrenheit.
            const double fahrenheit = (f.negative ? -magnitude : magnitude) * 1.8 + 32.0;
            QVERIFY2(qAbs(r.value - fahrenheit) < 1e-9, qPrintable(frame.label));
        } else {
            QCOMPARE(r.negative, f.negative);
            QVERIFY2(qAbs(r.value - (f.negative ? -magnitude : magnitude)) < 1e-9, qPrintable(frame.label));
            // A value below full scale: the plot's upper limit is never exceeded.
            if (r.plotMax > 0)
                QVERIFY2(std::fabs(r.value) < r.plotMax, qPrintable(frame.label));
        }
    }
}

void TestScenario::tourCoversEveryRangeAndIndicator()
{
    QSet<QPair<int, int>> tableEntries;
    FrameEncoder::Fields scratch;
    for (int index = 0; index < 32; ++index)
        for (int range = 0; range < 16; ++range)
            if (FrameEncoder::fieldsFor(index, range, 0, &scratch))
                tableEntries.insert({index, range});
    QCOMPARE(tableEntries.size(), 48);

    FrameDecoder link;
    Scenario tour(QStringLiteral("tour"), 3, 1);
    const Reading &r = Reading::current();
    QSet<QPair<int, int>> values;
    QSet<QPair<int, int>> overloads;
    QSet<QString> seen;
    QSet<int> frequencyCodes;
    for (int i = 0; i < tour.tourLength(); ++i) {
        const Scenario::Frame frame = tour.next();
        QVERIFY(decode(&link, frame));
        if (r.functionIndex == 8 || r.functionIndex == 9)
            frequencyCodes << frame.fields.functionCode;
        const QPair<int, int> entry(r.functionIndex, r.range);
        (r.overload ? overloads : values).insert(entry);
        const QString sign = r.negative ? QStringLiteral("-") : QStringLiteral("+");
        if (r.overload)
            seen << QStringLiteral("OL") + sign;
        else
            seen << QStringLiteral("value") + sign;
        if (r.hold) seen << QStringLiteral("HOLD");
        if (r.relative) seen << QStringLiteral("REL");
        if (r.lowBattery) seen << QStringLiteral("BAT");
        if (r.manualRange) seen << QStringLiteral("MANU");
        if (r.max) seen << (r.maxMinBlink ? QStringLiteral("MAX blinking") : QStringLiteral("MAX"));
        if (r.min) seen << (r.maxMinBlink ? QStringLiteral("MIN blinking") : QStringLiteral("MIN"));
    }
    QCOMPARE(values, tableEntries);
    QCOMPARE(overloads, tableEntries);
    const QSet<QString> wanted = {"OL+", "OL-", "value+", "value-", "HOLD", "REL", "BAT", "MANU",
                                  "MAX", "MIN", "MAX blinking", "MIN blinking"};
    QCOMPARE(seen, wanted);
    // Frequency and duty cycle arrive on their own code and on the voltage
    // and current codes in frequency mode.
    QCOMPARE(frequencyCodes, (QSet<int>{0x2, 0xB, 0xD, 0xF, 0x0}));
}

void TestScenario::tourHoldsEachState()
{
    const int hold = 3;
    Scenario tour(QStringLiteral("tour"), 1, hold);
    QCOMPARE(tour.framesPerState(), hold);
    QList<QByteArray> round;
    for (int i = 0; i < tour.tourLength() * hold; ++i)
        round << tour.next().bytes();
    for (int state = 0; state < tour.tourLength(); ++state) {
        const QByteArray first = round.at(state * hold);
        for (int k = 1; k < hold; ++k)
            QCOMPARE(round.at(state * hold + k), first);
        if (state > 0)
            QVERIFY(first != round.at((state - 1) * hold));
    }
    // The next round starts over with the same states.
    for (int i = 0; i < hold * 2; ++i)
        QCOMPARE(tour.next().bytes(), round.at(i));
}

void TestScenario::sameSeedSameFrames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("dc") << QStringLiteral("dc");
    QTest::newRow("tour") << QStringLiteral("tour");
}

void TestScenario::sameSeedSameFrames()
{
    QFETCH(QString, name);
    Scenario a(name, 42, 2);
    Scenario b(name, 42, 2);
    Scenario other(name, 43, 2);
    QByteArray streamA, streamB, streamOther;
    for (int i = 0; i < 400; ++i) {
        streamA += a.next().bytes();
        streamB += b.next().bytes();
        streamOther += other.next().bytes();
    }
    QCOMPARE(streamA, streamB);
    QVERIFY(streamA != streamOther);
}

void TestScenario::dcWandersWithinSensibleRanges()
{
    FrameDecoder link;
    Scenario dc(QStringLiteral("dc"), 1);
    const Reading &r = Reading::current();
    const int frames = 20000;
    QMap<int, int> framesPerRange;
    QVector<int> runLengths;
    int run = 0;
    int lastRange = -1;
    double lastValue = 0.0;
    for (int i = 0; i < frames; ++i) {
        const Scenario::Frame frame = dc.next();
        QVERIFY(decode(&link, frame));
        QCOMPARE(r.functionText, QStringLiteral("DCV"));
        QVERIFY(r.autoRange);
        QVERIFY(!r.overload);
        // Each range shows what it can: below full scale, and not so small
        // that a lower range would show more digits.
        QVERIFY2(std::fabs(r.value) < r.plotMax, qPrintable(frame.label));
        if (r.range > 0)
            QVERIFY2(std::fabs(r.value) > r.plotMax / 20.0, qPrintable(frame.label));
        if (i > 0)
            QVERIFY2(std::fabs(r.value - lastValue) < 0.15, qPrintable(frame.label));
        lastValue = r.value;
        ++framesPerRange[r.range];
        if (r.range != lastRange && lastRange >= 0) {
            runLengths << run;
            run = 0;
        }
        lastRange = r.range;
        ++run;
    }
    // It changes range now and then, never flapping, and mostly stays.
    QVERIFY(!runLengths.isEmpty());
    for (int length : runLengths)
        QVERIFY2(length >= 3, qPrintable(QString::number(length)));
    int most = 0;
    for (int count : framesPerRange)
        most = qMax(most, count);
    QVERIFY2(most >= frames * 8 / 10, qPrintable(QString::number(most)));
}

void TestScenario::unknownScenarioIsInvalid()
{
    Scenario unknown(QStringLiteral("sine"), 1);
    QVERIFY(!unknown.isValid());
    QVERIFY(Scenario(QStringLiteral("dc"), 1).isValid());
    QVERIFY(Scenario::names().contains(QStringLiteral("tour")));
}

QUORVANE_TEST(TestScenario);
#include "tst_scenario.moc"
