#include "meter/FrameDecoder.h"

#include "meter/FunctionTable.h"
#include "meter/Reading.h"

#include <cstring>

namespace {
const int frameSize = 14;
const char terminator1 = char(0x0D);
const char terminator2 = char(0x8A);

// Position of the second byte of the last 0x0D 0x8A pair ending at or after
// `from` (at least 1), or -1.
int lastTerminator(const QByteArray &bytes, int from)
{
    for (int p = bytes.size() - 1; p >= qMax(from, 1); --p) {
        if (bytes.at(p) == terminator2 && bytes.at(p - 1) == terminator1)
            return p;
    }
    return -1;
}

bool bit(char byte, int n)
{
    return (uchar(byte) >> n) & 1;
}
}

const char *const FrameDecoder::overloadTexts[5] = {"OL  ", "OL . ", "OL.  ", "O.L  ", ".OL  "};

void FrameDecoder::appendReceived(const QByteArray &bytes)
{
    append(bytes.constData(), bytes.size());
}

void FrameDecoder::append(const char *data, int size)
{
    const int before = buffer.size();
    buffer.append(data, size);
    // A pair may straddle the old end, so the scan starts one byte back.
    const int found = lastTerminator(buffer, before);
    if (found >= 0)
        terminatorEnd = found;
    if (buffer.size() > receiveBufferLimit)
        trim();
}

bool FrameDecoder::frameReady() const
{
    return terminatorEnd >= 0 && buffer.size() > frameSize;
}

int FrameDecoder::appendUntilFrame(const char *data, int size)
{
    int used = 0;
    while (used < size && !frameReady()) {
        // Never past the bound in one piece, so the buffer is trimmed at the
        // same byte as when the bytes come one by one.
        int piece = qMin(size - used, receiveBufferLimit + 1 - buffer.size());
        // Once a terminator is there, the frame is ready with the byte that
        // makes the buffer longer than a frame.
        const int untilLongEnough = frameSize + 1 - buffer.size();
        if (terminatorEnd >= 0) {
            piece = qMin(piece, untilLongEnough);
        } else {
            const char *end = data + used + piece;
            const char *p = data + used;
            char previous = buffer.isEmpty() ? '\0' : buffer.at(buffer.size() - 1);
            while ((p = static_cast<const char *>(std::memchr(p, terminator2, size_t(end - p))))) {
                if ((p == data + used ? previous : p[-1]) == terminator1) {
                    piece = qMin(piece, qMax(int(p - (data + used)) + 1, untilLongEnough));
                    break;
                }
                ++p;
            }
        }
        append(data + used, piece);
        used += piece;
    }
    return used;
}

QByteArray FrameDecoder::receivedBytes() const
{
    return buffer;
}

void FrameDecoder::trim()
{
    // Only the newest complete frame and what follows it can matter to the
    // next take, and of what follows, only the last 13 bytes can belong to a
    // later frame. Keep the frame with one byte before it (so the buffer still
    // holds more than one frame's worth, as it did untrimmed) and at most half
    // the bound of what follows; trimming to half keeps it rare.
    const int p = terminatorEnd;
    const int following = buffer.size() - (p + 1);
    QByteArray kept;
    if (p >= frameSize - 1) {
        const int start = qMax(0, p - frameSize);
        kept = buffer.mid(start, p + 1 - start);
    }
    kept.append(buffer.right(qMin(following, receiveBufferLimit / 2)));
    buffer = kept;
    terminatorEnd = lastTerminator(buffer, 1);
}

bool FrameDecoder::takeLatestFrame(bool *changed)
{
    if (changed)
        *changed = false;
    if (!frameReady())
        return false;
    const int p = terminatorEnd;
    // A terminator with less than a frame before it ends the tail of a frame
    // whose start was never received.
    const bool complete = p >= frameSize - 1;
    char frame[frameSize];
    if (complete)
        std::memcpy(frame, buffer.constData() + p - (frameSize - 1), frameSize);
    buffer.remove(0, p + 1);
    terminatorEnd = -1;
    if (!complete || !parseFrame(frame))
        return false;
    const Reading &reading = Reading::current();
    bool differs = false;
    if (reading.functionIndex != lastFunctionIndex) {
        lastFunctionIndex = reading.functionIndex;
        lastRange = reading.range;
        differs = true;
    } else if (reading.range != lastRange) {
        lastRange = reading.range;
        differs = true;
    }
    if (changed)
        *changed = differs;
    return true;
}
bool FrameDecoder::parseFrame(const char *frame)
{
    const char status = frame[7];
    const char *options = frame + 8;
    const uchar code = uchar(frame[6]) & 0x0F;
    int functionIndex = -1;
    int range = -1;
    // The row is settled before anything is written, so a frame outside the
    // table leaves the reading and the decoder state exactly as they were.
    if (!selectFunction(code, frame[0] & 0x0F, bit(status, 3), bit(options[2], 2), bit(options[2], 0),
                        &functionIndex, &range))
        return false;

    parseOptions(options);
    Reading &reading = Reading::current();
    reading.negative = bit(status, 2);
    reading.lowBattery = bit(status, 1);
    reading.overload = bit(status, 0);
    reading.range = range;
    // The temperature functions have no manual range.
    if (code == 0x4)
        reading.manualRange = false;
    reading.functionIndex = functionIndex;
    reading.functionText = FunctionTable::functionNames.at(functionIndex);
    reading.unitText = FunctionTable::unitTable.at(functionIndex).at(range);
    reading.decimals = FunctionTable::decimalTable.at(functionIndex).at(range);
    const QPair<double, double> &limits = FunctionTable::plotLimitTable.at(functionIndex).at(range);
    reading.plotMax = limits.first;
    reading.plotMin = limits.second;
    parseValue(frame + 1);
    return true;
}

void FrameDecoder::parseOptions(const char *options)
{
    Reading &reading = Reading::current();
    reading.max = bit(options[0], 3);
    reading.min = bit(options[0], 2);
    reading.relative = bit(options[0], 1);
    reading.maxMinBlink = bit(options[0], 0);
    reading.autoRange = bit(options[2], 1);
    reading.manualRange = !reading.autoRange;
    reading.hold = bit(options[3], 3);
}

bool FrameDecoder::selectFunction(uchar code, int rangeByte, bool alternate, bool ac, bool frequencyMode,
                                   int *functionIndex, int *range) const
{
    int index = Reading::current().functionIndex;
    int r = rangeByte;
    const auto frequencyRule = [&] {
        index = alternate ? 9 : 8;
        if (alternate)
            r = 0;
    };
    switch (code) {
    case 0x0:
        if (frequencyMode)
            frequencyRule();
        else
            index = ac ? 17 : 16;
        break;
    case 0x1:
        index = 5;
        break;
    case 0x2:
        frequencyRule();
        break;
    case 0x3:
        index = 4;
        break;
    case 0x4:
        index = alternate ? FunctionTable::temperatureOther : FunctionTable::temperatureCelsius;
        break;
    case 0x5:
        index = 6;
        break;
    case 0x6:
        index = 7;
        break;
    case 0xB:
        if (frequencyMode) {
            frequencyRule();
        } else if (r == 4) {
            index = ac ? 1 : 0;
            r = 0;
        } else {
            index = ac ? 3 : 2;
        }
        break;
    case 0xD:
        if (frequencyMode)
            frequencyRule();
        else
            index = ac ? 13 : 12;
        break;
    case 0xF:
        if (frequencyMode)
            frequencyRule();
        else
            index = ac ? 15 : 14;
        break;
    default:
        // Unknown codes keep the previous function.
        break;
    }
    if (index < 0 || index >= FunctionTable::functionNames.size()
        || r >= FunctionTable::unitTable.at(index).size())
        return false;
    *functionIndex = index;
    *range = r;
    return true;
}

void FrameDecoder::parseValue(const char *digits)
{
    Reading &reading = Reading::current();
    const int index = reading.functionIndex;
    const int decimals = reading.decimals;
    if (reading.overload) {
        reading.valueText = QString::fromLatin1(overloadTexts[decimals]);
        const bool bySign
            = index == FunctionTable::temperatureCelsius || index == FunctionTable::temperatureOther;
        reading.value
            = FunctionTable::overloadTable.at(index).at(bySign ? (reading.negative ? 1 : 0) : reading.range);
    } else {
        int count = 0;
        for (int i = 0; i < 5; ++i)
            count = count * 10 + (uchar(digits[i]) & 0x0F);
        // One division by an exact power of ten gives the nearest double.
        static const double powersOfTen[] = {1.0, 10.0, 100.0, 1000.0, 10000.0};
        double magnitude = count / powersOfTen[decimals];
        // The Fahrenheit row receives a Celsius count.
        if (index == FunctionTable::temperatureOther) {
            const double celsius = reading.negative ? -magnitude : magnitude;
            const double fahrenheit = celsius * 1.8 + 32.0;
            reading.negative = fahrenheit < 0;
            magnitude = qAbs(fahrenheit);
            reading.valueText = QString::number(magnitude, 'f', decimals);
        } else {
            // Written from the exact count: a dropped digit is rounded as the
            // meter rounds it, not from the nearest binary fraction.
            reading.valueText = reading.countText(count);
        }
        reading.value = magnitude;
    }
    switch (decimals) {
    case 1:
        reading.barValue = reading.value / 100.0;
        break;
    case 2:
        reading.barValue = reading.value / 10.0;
        break;
    case 3:
        reading.barValue = reading.value;
        break;
    case 4:
        reading.barValue = reading.value * 10.0;
        break;
    default:
        break;
    }
    if (reading.negative)
        reading.value = -reading.value;
}
