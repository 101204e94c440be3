// libFuzzer harness for the receive buffer and the frame decoder. The input
// is a sequence of steps: a control byte, then the chunk it announces. The
// chunk is appended to a FrameDecoder's buffer (optionally repeated, so
// small inputs can overrun the buffer's bound), and some steps then take the
// latest frame. Every take is checked against an unbounded copy of the
// bytes, decoded by a second FrameDecoder that only ever sees the frame the
// unbounded buffer yields: the bound must never change what is decoded.
#include "meter/FrameDecoder.h"
#include "meter/Reading.h"

#include <cstdint>
#include <cstdlib>

namespace {
// The decoded fields of the one Reading, so two decodes can be compared and
// the Reading put back between them.
struct Decoded
{
    QString functionText, valueText, unitText;
    int functionIndex, range, decimals;
    double value, barValue, plotMax, plotMin;
    bool flags[11];

    static Decoded take()
    {
        const Reading &r = Reading::current();
        return {r.functionText, r.valueText, r.unitText, r.functionIndex, r.range, r.decimals, r.value,
                r.barValue, r.plotMax, r.plotMin,
                {r.autoRange, r.manualRange, r.rs232, r.hold, r.relative, r.lowBattery, r.max, r.min,
                 r.negative, r.maxMinBlink, r.overload}};
    }

    void restore() const
    {
        Reading &r = Reading::current();
        r.functionText = functionText;
        r.valueText = valueText;
        r.unitText = unitText;
        r.functionIndex = functionIndex;
        r.range = range;
        r.decimals = decimals;
        r.value = value;
        r.barValue = barValue;
        r.plotMax = plotMax;
        r.plotMin = plotMin;
        bool *targets[] = {&r.autoRange, &r.manualRange, &r.rs232, &r.hold, &r.relative, &r.lowBattery,
                           &r.max, &r.min, &r.negative, &r.maxMinBlink, &r.overload};
        for (int i = 0; i < 11; ++i)
            *targets[i] = flags[i];
    }

    // Bitwise for doubles: NaN never arises, and equal decodes give equal bits.
    bool operator==(const Decoded &o) const
    {
        for (int i = 0; i < 11; ++i) {
            if (flags[i] != o.flags[i])
                return false;
        }
        return functionText == o.functionText && valueText == o.valueText && unitText == o.unitText
               && functionIndex == o.functionIndex && range == o.range && decimals == o.decimals
               && value == o.value && barValue == o.barValue && plotMax == o.plotMax && plotMin == o.plotMin;
    }
};

// The frame an unbounded buffer yields, with the same rules as the link:
// the 14 bytes ending at the last terminator, if at least 14 precede it.
QByteArray takeUnbounded(QByteArray &buffer)
{
    if (buffer.size() <= 14)
        return QByteArray();
    for (int p = buffer.size() - 1; p >= 1; --p) {
        if (buffer.at(p) == char(0x8A) && buffer.at(p - 1) == char(0x0D)) {
            const QByteArray frame = p >= 13 ? buffer.mid(p - 13, 14) : QByteArray();
            buffer.remove(0, p + 1);
            return frame;
        }
    }
    return QByteArray();
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reading::current().reset();
    FrameDecoder link;
    FrameDecoder reference;
    int linkChanges = 0;
    int referenceChanges = 0;
    bool changed = false;
    QByteArray unbounded;

    size_t i = 0;
    while (i < size) {
        const uint8_t control = data[i++];
        const size_t length = qMin<size_t>((control & 0x1F) + 1, size - i);
        QByteArray chunk(reinterpret_cast<const char *>(data + i), int(length));
        i += length;
        if (control & 0x20)
            chunk = chunk.repeated(97);
        link.appendReceived(chunk);
        unbounded += chunk;
        check(link.receivedBytes().size() <= FrameDecoder::receiveBufferLimit);
        if (!(control & 0x40))
            continue;

        const Decoded before = Decoded::take();
        const bool decoded = link.takeLatestFrame(&changed);
        linkChanges += changed;
        const Decoded byLink = Decoded::take();
        before.restore();

        const QByteArray frame = takeUnbounded(unbounded);
        bool expected = false;
        if (!frame.isEmpty()) {
            reference.appendReceived(QByteArray(1, '\0') + frame);
            expected = reference.takeLatestFrame(&changed);
            referenceChanges += changed;
            check(reference.receivedBytes().isEmpty());
        }
        check(decoded == expected);
        check(linkChanges == referenceChanges);
        check(Decoded::take() == byLink);
        if (decoded) {
            const Reading &r = Reading::current();
            check(r.functionIndex >= 0 && r.functionIndex <= 17 && r.range >= 0 && r.range <= 15);
            check(r.decimals >= 0 && r.decimals <= 4);
        }
    }
    return 0;
}
