#ifndef LINENOISE_H
#define LINENOISE_H

#include <QByteArray>
#include <QRandomGenerator>

// Stray bytes on the line between two frames. The bytes are random but never
// hold the terminator pair 0x0D 0x8A, so noise can make the receiver skip
// bytes yet never makes it cut a false frame out of the stream.
class LineNoise
{
public:
    static constexpr int maxBurst = 20;

    // probability: chance (0..1) that a gap between two frames carries noise.
    LineNoise(double probability, quint32 seed);

    // The bytes to send before the next frame; empty most of the time.
    QByteArray next();

private:
    double chance;
    QRandomGenerator random;
};

#endif
