#include "meter/FrameEncoder.h"

namespace {
// How the meter signals each table row: its function code, the flags that
// select the row among those sharing a code, the number of ranges, and the
// range byte it sends when the row has a fixed one (-1: the range itself).
struct RowCode
{
    int functionCode;
    bool ac;
    bool alternate;
    int rangeCount;
    int rangeByte;
};

const RowCode rowCodes[] = {
    {0xB, false, false, 1, 4}, // 0 DCmV: the voltage code with range byte 4
    {0xB, true, false, 1, 4},  // 1 ACmV
    {0xB, false, false, 4, -1}, // 2 DCV
    {0xB, true, false, 4, -1}, // 3 ACV
    {0x3, false, false, 7, -1}, // 4 OHM
    {0x1, false, false, 1, -1}, // 5 DIODE
    {0x5, false, false, 1, -1}, // 6 BEEP
    {0x6, false, false, 8, -1}, // 7 CAP
    {0x2, false, false, 8, -1}, // 8 FREQ
    {0x2, false, true, 1, -1}, // 9 DUTY
    {0x4, false, false, 1, -1}, // 10 TEMP Celsius
    {0x4, false, true, 1, -1}, // 11 TEMP Fahrenheit
    {0xD, false, false, 2, -1}, // 12 DCuA
    {0xD, true, false, 2, -1}, // 13 ACuA
    {0xF, false, false, 2, -1}, // 14 DCmA
    {0xF, true, false, 2, -1}, // 15 ACmA
    {0x0, false, false, 1, -1}, // 16 DCA
    {0x0, true, false, 1, -1}, // 17 ACA
};

const int rowCount = int(sizeof(rowCodes) / sizeof(rowCodes[0]));

char nibble(int value)
{
    return char(0x30 | (value & 0x0F));
}

char bits(bool b3, bool b2, bool b1, bool b0)
{
    return nibble((b3 ? 8 : 0) | (b2 ? 4 : 0) | (b1 ? 2 : 0) | (b0 ? 1 : 0));
}
}

QByteArray FrameEncoder::encode(const Fields &fields)
{
    QByteArray frame;
    frame.reserve(14);
    frame.append(nibble(fields.range));
    for (int digit : fields.digits)
        frame.append(nibble(digit));
    frame.append(nibble(fields.functionCode));
    frame.append(bits(fields.alternate, fields.negative, fields.lowBattery, fields.overload));
    frame.append(bits(fields.max, fields.min, fields.relative, fields.maxMinBlink));
    frame.append(nibble(0));
    frame.append(bits(false, fields.ac, fields.autoRange, fields.frequencyMode));
    frame.append(bits(fields.hold, false, false, false));
    frame.append(char(0x0D));
    frame.append(char(0x8A));
    return frame;
}

bool FrameEncoder::fieldsFor(int functionIndex, int range, int count, Fields *fields)
{
    if (!fields || functionIndex < 0 || functionIndex >= rowCount)
        return false;
    const RowCode &row = rowCodes[functionIndex];
    if (range < 0 || range >= row.rangeCount || count < 0 || count > 99999)
        return false;
    fields->functionCode = row.functionCode;
    fields->ac = row.ac;
    fields->alternate = row.alternate;
    fields->frequencyMode = false;
    fields->range = row.rangeByte >= 0 ? row.rangeByte : range;
    for (int i = 4; i >= 0; --i) {
        fields->digits[i] = count % 10;
        count /= 10;
    }
    return true;
}
