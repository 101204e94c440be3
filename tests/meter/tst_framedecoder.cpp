#include "meter/FrameDecoder.h"
#include "meter/FrameEncoder.h"
#include "meter/Reading.h"
#include "tests/common/TestRegistry.h"

#include <QRandomGenerator>
#include <QTest>

// appendUntilFrame() is how the decode tool goes through a capture quickly;
// it must decode exactly what a take after every single byte decodes.
class TestFrameDecoder : public QObject
{
    Q_OBJECT
private slots:
    void appendUntilFrameDecodesAsByteByByte_data();
    void appendUntilFrameDecodesAsByteByByte();
};

void TestFrameDecoder::appendUntilFrameDecodesAsByteByByte_data()
{
    const auto frame = [](int index, int range, int count) {
        FrameEncoder::Fields fields;
        return FrameEncoder::fieldsFor(index, range, count, &fields) ? FrameEncoder::encode(fields) : QByteArray();
    };
    QRandomGenerator random(21);
    QByteArray mixed;
    for (int i = 0; i < 300; ++i) {
        mixed += frame(int(random.bounded(18)), 0, int(random.bounded(100000)));
        for (int n = int(random.bounded(20)); n > 0; --n)
            mixed += "\x0D\x8A\x30\x33"[random.bounded(4)];
    }
    const QByteArray quiet(3 * FrameDecoder::receiveBufferLimit + 7, '\x0D');
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("frames among stray bytes") << mixed;
    QTest::newRow("frames back to back") << frame(2, 1, 1234).repeated(40) + frame(4, 2, 7);
    QTest::newRow("half a frame, silences past the bound")
        << frame(12, 0, 5).mid(7) + quiet + frame(2, 0, 42) + quiet.left(13) + frame(3, 1, 9) + "x" + quiet;
}

void TestFrameDecoder::appendUntilFrameDecodesAsByteByByte()
{
    QFETCH(QByteArray, stream);
    const Reading &r = Reading::current();
    bool changed = false;
    const auto take = [&](FrameDecoder &decoder, QStringList *taken) {
        if (decoder.takeLatestFrame(&changed))
            *taken << QStringLiteral("%1 %2 %3 %4 %5")
                          .arg(r.functionText, r.valueText)
                          .arg(r.range)
                          .arg(r.value)
                          .arg(changed);
    };
    FrameDecoder byByte;
    QStringList expected;
    for (char byte : stream) {
        byByte.appendReceived(QByteArray(1, byte));
        take(byByte, &expected);
    }
    QVERIFY(expected.size() > 1);
    for (int chunkSize : {1, 5, 100, FrameDecoder::receiveBufferLimit + 3, int(stream.size())}) {
        FrameDecoder quick;
        QStringList decoded;
        for (int start = 0; start < stream.size(); start += chunkSize) {
            const QByteArray chunk = stream.mid(start, chunkSize);
            for (int used = 0; used < chunk.size(); take(quick, &decoded))
                used += quick.appendUntilFrame(chunk.constData() + used, chunk.size() - used);
        }
        QCOMPARE(decoded, expected);
        QCOMPARE(quick.receivedBytes(), byByte.receivedBytes());
    }
}

QUORVANE_TEST(TestFrameDecoder);
#include "tst_framedecoder.moc"
