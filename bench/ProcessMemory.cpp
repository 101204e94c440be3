#include "bench/ProcessMemory.h"

#include <QByteArray>
#include <QFile>
#include <QList>

double ProcessMemory::residentMegabytes()
{
    return field("VmRSS:");
}

double ProcessMemory::peakMegabytes()
{
    return field("VmHWM:");
}

double ProcessMemory::field(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix(name);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}
