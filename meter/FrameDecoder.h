#ifndef FRAMEDECODER_H
#define FRAMEDECODER_H

#include <QByteArray>

// The meter's frame decoder with its receive buffer: bytes are appended as
// they arrive, and takeLatestFrame() decodes the newest complete frame into
// Reading::current(). No port, no timer, no event loop: the link, the decode
// tool and the fuzz harness drive it alike.
class FrameDecoder
{
public:
    // While no frame is taken, the receive buffer never holds more bytes than
    // this (about two seconds of the meter's stream); trimming keeps what the
    // next takeLatestFrame() needs.
    static constexpr int receiveBufferLimit = 4096;

    // Appends received bytes to the buffer, keeping it within its bound.
    void appendReceived(const QByteArray &bytes);
    // Appends bytes one at a time, as a reader taking a frame after every
    // byte would, and stops after the byte that makes a frame ready to take
    // (takeLatestFrame() then does work). Returns how many bytes it appended.
    int appendUntilFrame(const char *data, int size);
    QByteArray receivedBytes() const;

    // True exactly when a frame was decoded into the Reading; *changed then
    // tells whether its function or range differs from the previous frame's.
    bool takeLatestFrame(bool *changed = nullptr);

private:
    void append(const char *data, int size);
    void trim();
    bool frameReady() const;
    // The 14 bytes of one frame; options are bytes 8 to 11, digits 1 to 5.
    bool parseFrame(const char *frame);
    bool selectFunction(uchar code, int rangeByte, bool alternate, bool ac, bool frequencyMode,
                        int *functionIndex, int *range) const;
    void parseOptions(const char *options);
    void parseValue(const char *digits);

    QByteArray buffer;
    // Position of the 0x8A of the last terminator in the buffer, or -1: kept
    // up to date on every append, so no take scans the buffer again.
    int terminatorEnd = -1;
    int lastFunctionIndex = -1;
    int lastRange = -1;
    static const char *const overloadTexts[5];
};

#endif
