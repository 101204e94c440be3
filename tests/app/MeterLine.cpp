#include "tests/app/MeterLine.h"

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

MeterLine::~MeterLine()
{
    close();
}

bool MeterLine::open()
{
    close();
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return false;
    const char *name = (grantpt(master) == 0 && unlockpt(master) == 0) ? ptsname(master) : nullptr;
    if (!name) {
        close();
        return false;
    }
    path = QString::fromLocal8Bit(name);
    return true;
}

void MeterLine::close()
{
    if (master >= 0)
        ::close(master);
    master = -1;
    path.clear();
}

bool MeterLine::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return master >= 0;
}
