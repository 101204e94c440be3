#ifndef FRAMEENCODER_H
#define FRAMEENCODER_H

#include <QByteArray>

// Builds the 14-byte frames the meter sends: the exact inverse of the
// FrameDecoder. The meter simulator and the tests use it.
class FrameEncoder
{
public:
    struct Fields
    {
        int range = 0;
        int digits[5] = {0, 0, 0, 0, 0};
        int functionCode = 0xB;
        // status byte 7
        bool alternate = false, negative = false, lowBattery = false, overload = false;
        // option 1
        bool max = false, min = false, relative = false, maxMinBlink = false;
        // option 3
        bool ac = false, autoRange = true, frequencyMode = false;
        // option 4
        bool hold = false;
    };

    // 14 bytes including the terminator 0x0D 0x8A; every data byte carries
    // 0x3 in its top nibble, as the meter sends them.
    static QByteArray encode(const Fields &fields);

    // Sets the function code, the selecting flags (ac, alternate,
    // frequencyMode), the range byte and the digits so that decoding yields
    // row functionIndex at the given range and shows count (0..99999) as its
    // five digits. Other flags are left as they were. False, with fields
    // untouched, when the row and range are not in the table or count is out
    // of bounds.
    static bool fieldsFor(int functionIndex, int range, int count, Fields *fields);
};

#endif
