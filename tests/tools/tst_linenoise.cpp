#include "meter/FrameDecoder.h"
#include "meter/Reading.h"
#include "tests/common/TestRegistry.h"
#include "tools/metersim/LineNoise.h"
#include "tools/metersim/Scenario.h"

#include <QTest>

class TestLineNoise : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void burstsNeverHoldTheTerminator();
    void chanceOfNoise_data();
    void chanceOfNoise();
    void everyFrameSurvivesTheNoise();

private:
    // What the Reading shows, enough to tell two tour frames apart.
    static QString shown();
};

static const QByteArray terminator("\x0D\x8A", 2);

void TestLineNoise::init()
{
    Reading::current().reset();
}

QString TestLineNoise::shown()
{
    const Reading &r = Reading::current();
    return QStringLiteral("%1/%2 %3 %4%5 %6%7%8%9%10%11%12")
        .arg(r.functionIndex)
        .arg(r.range)
        .arg(r.functionText, r.negative ? QStringLiteral("-") : QString(), r.valueText, r.unitText)
        .arg(r.hold)
        .arg(r.relative)
        .arg(r.max)
        .arg(r.min)
        .arg(r.maxMinBlink)
        .arg(r.lowBattery);
}

void TestLineNoise::burstsNeverHoldTheTerminator()
{
    LineNoise noise(1.0, 5);
    int byteCounts[256] = {};
    int shortest = LineNoise::maxBurst;
    int longest = 0;
    for (int i = 0; i < 20000; ++i) {
        const QByteArray burst = noise.next();
        QVERIFY(!burst.contains(terminator));
        shortest = qMin(shortest, burst.size());
        longest = qMax(longest, burst.size());
        for (char byte : burst)
            ++byteCounts[uchar(byte)];
    }
    QCOMPARE(shortest, 1);
    QCOMPARE(longest, LineNoise::maxBurst);
    // Every byte value occurs, the two terminator bytes included.
    for (int value = 0; value < 256; ++value)
        QVERIFY2(byteCounts[value] > 0, qPrintable(QString::number(value)));
}

void TestLineNoise::chanceOfNoise_data()
{
    QTest::addColumn<double>("probability");
    QTest::newRow("never") << 0.0;
    QTest::newRow("quarter") << 0.25;
    QTest::newRow("always") << 1.0;
}

void TestLineNoise::chanceOfNoise()
{
    QFETCH(double, probability);
    LineNoise noise(probability, 11);
    const int gaps = 20000;
    int noisy = 0;
    for (int i = 0; i < gaps; ++i)
        noisy += noise.next().isEmpty() ? 0 : 1;
    QVERIFY2(qAbs(double(noisy) / gaps - probability) < 0.02, qPrintable(QString::number(noisy)));
}

void TestLineNoise::everyFrameSurvivesTheNoise()
{
    // What each tour frame shows when it arrives alone on a clean line.
    Scenario clean(QStringLiteral("tour"), 9, 1);
    QStringList expected;
    {
        FrameDecoder reference;
        for (int i = 0; i < 400; ++i) {
            reference.appendReceived(clean.next().bytes() + QByteArray(1, '\0'));
            QVERIFY(reference.takeLatestFrame());
            expected << shown();
        }
    }

    // The same frames with heavy noise between them, arriving one byte at a
    // time and sampled after every byte.
    Scenario tour(QStringLiteral("tour"), 9, 1);
    LineNoise noise(0.7, 9);
    QByteArray stream;
    QVector<int> frameEnds;
    for (int i = 0; i < expected.size(); ++i) {
        if (i > 0)
            stream += noise.next();
        stream += tour.next().bytes();
        frameEnds << stream.size();
    }
    Reading::current().reset();
    FrameDecoder link;
    QStringList decoded;
    int completed = 0;
    for (int position = 0; position < stream.size(); ++position) {
        link.appendReceived(stream.mid(position, 1));
        if (completed < frameEnds.size() && position + 1 == frameEnds.at(completed))
            ++completed;
        if (link.takeLatestFrame()) {
            decoded << shown();
            // Always the frame completed last, never something cut from noise.
            QCOMPARE(decoded.last(), expected.at(completed - 1));
        }
    }
    // Each frame is decoded once, as soon as a byte follows it; the last has none.
    QCOMPARE(decoded, expected.mid(0, expected.size() - 1));
}

QUORVANE_TEST(TestLineNoise);
#include "tst_linenoise.moc"
