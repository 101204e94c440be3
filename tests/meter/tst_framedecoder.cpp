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
    QRandomGenerator random(21);
    QByteArray mixed;
    FrameEncoder::Fields fields;
    for (int i = 0; i < 300; ++i) {
        if (FrameEncoder::fieldsFor(int(random.bounded(18)), 0, int(random.bounded(100000)), &fields))
            mixed += FrameEncoder::encode(fields);
        for (int n = int(random.bounded(20)); n > 0; --n)
            mixed += "\x0D\x8A\x30\x33"[random.bounded(4)];
    }
    const QByteArray quiet(3 * FrameDecoder::receiveBufferLimit + 7, '\x0D');
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("frames among stray bytes") << mixed;
    QTest::newRow("half a frame, silences past the bound")
        << mixed.mid(7, 300) + quiet + mixed.left(200) + quiet.left(13) + mixed.left(100) + quiet;
}

void TestFrameDecoder::appendUntilFrameDecodesAsByteByByte()
{
    QFETCH(QByteArray, stream);
    bool changed = false;
    const auto take = [&changed](FrameDecoder &decoder, QStringList *taken) {
        if (decoder.takeLatestFrame(&changed))
            *taken << Reading::current().valueText + Reading::current().unitText + QString::number(changed);
    };
    FrameDecoder byByte;
    QStringList expected;
    for (char byte : stream) {
        byByte.appendReceived(QByteArray(1, byte));
        take(byByte, &expected);
    }
    QVERIFY(expected.size() > 10);
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
