// quorvane-decode [FILE]: decodes a capture of the meter's bytes the way the
// program does, taking a frame after every byte, and prints one tab-separated
// line per decoded frame.
#include "meter/FrameDecoder.h"
#include "meter/Reading.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <charconv>
#include <cstdio>
#include <cstring>

namespace {
// The lines, gathered in a large block: at a few million frames a second,
// building each field as a QString would cost more than the decoding.
class Output
{
public:
    ~Output() { flush(); }

    void text(const QString &s)
    {
        // Value texts are plain ASCII; function and unit texts come from the
        // table and repeat, so their conversion is kept.
        for (QChar c : s) {
            if (c.unicode() >= 0x80) {
                raw(utf8(s));
                return;
            }
        }
        for (QChar c : s)
            *end++ = char(c.unicode());
    }
    void integer(int n) { end = std::to_chars(end, end + 16, n).ptr; }
    // As QString::number(x, 'g', 12): twelve significant digits, no trailing
    // zeros, an exponent outside [-5, 12), and no sign on a negative zero.
    void number(double x)
    {
        if (x == 0.0)
            x = 0.0;
        end = std::to_chars(end, end + 32, x, std::chars_format::general, 12).ptr;
    }
    void raw(const QByteArray &bytes)
    {
        std::memcpy(end, bytes.constData(), size_t(bytes.size()));
        end += bytes.size();
    }
    void raw(const char *s)
    {
        const size_t length = std::strlen(s);
        std::memcpy(end, s, length);
        end += length;
    }
    void separator(char c)
    {
        *end++ = c;
        // A line is far shorter than the spare room.
        if (c == '\n' && end - block >= blockSize)
            flush();
    }
    void flush()
    {
        std::fwrite(block, 1, size_t(end - block), stdout);
        end = block;
    }

private:
    const QByteArray &utf8(const QString &s)
    {
        if (s != lastText) {
            lastText = s;
            lastUtf8 = s.toUtf8();
        }
        return lastUtf8;
    }

    static const int blockSize = 1 << 16;
    char block[blockSize + 4096];
    char *end = block;
    QString lastText;
    QByteArray lastUtf8;
};

void writeFlags(Output &out, const Reading &r)
{
    const struct
    {
        bool set;
        const char *name;
    } indicators[] = {
        {r.autoRange, "AUTO"}, {r.manualRange, "MANU"}, {r.rs232, "RS232"}, {r.hold, "HOLD"},
        {r.relative, "REL"}, {r.lowBattery, "BAT"}, {r.max, "MAX"}, {r.min, "MIN"},
        {r.negative, "NEG"}, {r.maxMinBlink, "BLINK"}, {r.overload, "OL"},
    };
    bool first = true;
    for (const auto &indicator : indicators) {
        if (!indicator.set)
            continue;
        if (!first)
            out.separator(',');
        out.raw(indicator.name);
        first = false;
    }
    if (first)
        out.raw("-");
}

void writeReading(Output &out, const Reading &r, bool changed)
{
    out.text(r.functionText);
    out.separator('\t');
    out.text(r.valueText);
    out.separator('\t');
    out.text(r.unitText);
    out.separator('\t');
    out.integer(r.range);
    out.separator('\t');
    out.integer(r.decimals);
    for (double x : {r.value, r.barValue, r.plotMax, r.plotMin}) {
        out.separator('\t');
        out.number(x);
    }
    out.separator('\t');
    writeFlags(out, r);
    out.separator('\t');
    out.raw(changed ? "1" : "0");
    out.separator('\n');
}

int fail(const QString &message)
{
    const QByteArray text = "quorvane-decode: " + message.toLocal8Bit() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return 2;
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() > 1)
        return fail(QStringLiteral("usage: quorvane-decode [FILE]"));

    QFile input;
    bool opened;
    if (arguments.isEmpty()) {
        opened = input.open(stdin, QIODevice::ReadOnly);
    } else {
        input.setFileName(arguments.first());
        opened = input.open(QIODevice::ReadOnly);
    }
    const QString inputName = arguments.isEmpty() ? QStringLiteral("standard input") : arguments.first();
    if (!opened)
        return fail(QStringLiteral("cannot read %1: %2").arg(inputName, input.errorString()));

    FrameDecoder decoder;
    const Reading &r = Reading::current();
    Output out;
    out.raw("function\tvalue\tunit\trange\tdecimals\tnumber\tbar\tplot_max\tplot_min\tflags\tchange");
    out.separator('\n');
    for (;;) {
        const QByteArray chunk = input.read(1 << 16);
        if (chunk.isEmpty()) {
            if (input.error() != QFileDevice::NoError) {
                out.flush();
                return fail(QStringLiteral("cannot read %1: %2").arg(inputName, input.errorString()));
            }
            break;
        }
        // Bytes that cannot make a frame ready are appended in one piece.
        for (int used = 0; used < chunk.size();) {
            used += decoder.appendUntilFrame(chunk.constData() + used, chunk.size() - used);
            bool changed = false;
            if (decoder.takeLatestFrame(&changed))
                writeReading(out, r, changed);
        }
    }
    out.flush();
    std::fflush(stdout);
    return 0;
}
