#include "tools/metersim/LineNoise.h"

LineNoise::LineNoise(double probability, quint32 seed)
    : chance(probability), random(seed)
{
}

QByteArray LineNoise::next()
{
    QByteArray burst;
    if (chance <= 0.0 || random.generateDouble() >= chance)
        return burst;
    const int length = random.bounded(1, maxBurst + 1);
    burst.reserve(length);
    for (int i = 0; i < length; ++i) {
        char byte = char(random.bounded(256));
        // A frame ends in 0x8A and starts with a byte whose top nibble is 0x3,
        // so only a 0x0D 0x8A pair inside the burst could pass for a terminator.
        if (uchar(byte) == 0x8A && !burst.isEmpty() && burst.back() == char(0x0D))
            byte = char(random.bounded(0x8B, 0x100));
        burst.append(byte);
    }
    return burst;
}
