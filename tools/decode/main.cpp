// quorvane-decode [FILE]: decodes a capture of the meter's bytes the way the
// program does, one byte at a time, and prints one tab-separated line per
// decoded frame.
#include "meter/Communication.h"
#include "meter/Reading.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {
QString number(double x)
{
    return QString::number(x, 'g', 12);
}

QString flags(const Reading &r)
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
    QStringList names;
    for (const auto &indicator : indicators) {
        if (indicator.set)
            names << QString::fromLatin1(indicator.name);
    }
    return names.isEmpty() ? QStringLiteral("-") : names.join(QLatin1Char(','));
}

void writeLine(const QStringList &fields)
{
    const QByteArray line = fields.join(QLatin1Char('\t')).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
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

    Communication link;
    bool changed = false;
    QObject::connect(&link, &Communication::signal_funcRangeChange, [&changed] { changed = true; });
    const Reading &r = Reading::current();

    writeLine({QStringLiteral("function"), QStringLiteral("value"), QStringLiteral("unit"), QStringLiteral("range"),
               QStringLiteral("decimals"), QStringLiteral("number"), QStringLiteral("bar"),
               QStringLiteral("plot_max"), QStringLiteral("plot_min"), QStringLiteral("flags"),
               QStringLiteral("change")});
    for (;;) {
        const QByteArray chunk = input.read(1 << 16);
        if (chunk.isEmpty()) {
            if (input.error() != QFileDevice::NoError)
                return fail(QStringLiteral("cannot read %1: %2").arg(inputName, input.errorString()));
            break;
        }
        for (char byte : chunk) {
            link.appendReceived(QByteArray(1, byte));
            changed = false;
            if (!link.takeLatestFrame())
                continue;
            writeLine({r.functionText, r.valueText, r.unitText, QString::number(r.range),
                       QString::number(r.decimals), number(r.value), number(r.barValue), number(r.plotMax),
                       number(r.plotMin), flags(r), changed ? QStringLiteral("1") : QStringLiteral("0")});
        }
    }
    std::fflush(stdout);
    return 0;
}
