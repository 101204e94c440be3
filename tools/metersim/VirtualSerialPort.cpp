#include "tools/metersim/VirtualSerialPort.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {
QString systemError(const QString &what)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}
}

VirtualSerialPort::VirtualSerialPort() = default;

VirtualSerialPort::~VirtualSerialPort()
{
    close();
}

bool VirtualSerialPort::open()
{
    close();
    masterFd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (masterFd < 0) {
        error = systemError(QStringLiteral("posix_openpt"));
        return false;
    }
    if (grantpt(masterFd) != 0 || unlockpt(masterFd) != 0) {
        error = systemError(QStringLiteral("grantpt/unlockpt"));
        close();
        return false;
    }
    char name[128];
    if (ptsname_r(masterFd, name, sizeof name) != 0) {
        error = systemError(QStringLiteral("ptsname"));
        close();
        return false;
    }
    slave = QFile::decodeName(name);

    // Holding the slave open ourselves keeps the pair alive while the program
    // opens and closes the device: the master never sees a hang-up, and the
    // line settings below survive the program's close.
    slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slaveFd < 0) {
        error = systemError(QStringLiteral("open %1").arg(slave));
        close();
        return false;
    }
    // Raw line: the default terminal settings would turn the terminator's
    // 0x0D into a line feed and echo every byte back.
    termios settings;
    if (tcgetattr(slaveFd, &settings) != 0) {
        error = systemError(QStringLiteral("tcgetattr"));
        close();
        return false;
    }
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&settings, B19200);
    if (tcsetattr(slaveFd, TCSANOW, &settings) != 0) {
        error = systemError(QStringLiteral("tcsetattr"));
        close();
        return false;
    }
    return true;
}

void VirtualSerialPort::close()
{
    removeLink();
    if (slaveFd >= 0)
        ::close(slaveFd);
    if (masterFd >= 0)
        ::close(masterFd);
    slaveFd = -1;
    masterFd = -1;
    slave.clear();
    pending.clear();
}

bool VirtualSerialPort::isOpen() const
{
    return masterFd >= 0;
}

QString VirtualSerialPort::slavePath() const
{
    return slave;
}

int VirtualSerialPort::masterDescriptor() const
{
    return masterFd;
}

QString VirtualSerialPort::errorString() const
{
    return error;
}

bool VirtualSerialPort::flushPending()
{
    while (!pending.isEmpty()) {
        const ssize_t written = ::write(masterFd, pending.constData(), size_t(pending.size()));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        pending.remove(0, int(written));
    }
    return true;
}

bool VirtualSerialPort::send(const QByteArray &chunk)
{
    if (masterFd < 0 || !flushPending())
        return false;
    ssize_t written;
    do {
        written = ::write(masterFd, chunk.constData(), size_t(chunk.size()));
    } while (written < 0 && errno == EINTR);
    if (written <= 0)
        return chunk.isEmpty();
    if (written < chunk.size())
        pending = chunk.mid(int(written));
    return true;
}

int VirtualSerialPort::unreadBytes() const
{
    int count = 0;
    if (slaveFd < 0 || ioctl(slaveFd, FIONREAD, &count) != 0)
        return -1;
    return count + pending.size();
}

void VirtualSerialPort::discardInput()
{
    char sink[256];
    if (masterFd < 0)
        return;
    while (::read(masterFd, sink, sizeof sink) > 0) {
    }
}

bool VirtualSerialPort::addLink(const QString &linkPath)
{
    if (slave.isEmpty()) {
        error = QStringLiteral("no pseudo-terminal to link to");
        return false;
    }
    const QByteArray path = QFile::encodeName(linkPath);
    struct stat info;
    if (lstat(path.constData(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    // Made beside the target and renamed over it, so a reader never finds
    // the path missing or half made.
    const QByteArray temporary = path + ".tmp" + QByteArray::number(qint64(getpid()));
    ::unlink(temporary.constData());
    if (symlink(QFile::encodeName(slave).constData(), temporary.constData()) != 0) {
        error = systemError(QStringLiteral("symlink %1").arg(linkPath));
        return false;
    }
    if (rename(temporary.constData(), path.constData()) != 0) {
        error = systemError(QStringLiteral("rename to %1").arg(linkPath));
        ::unlink(temporary.constData());
        return false;
    }
    if (link != linkPath)
        removeLink();
    link = linkPath;
    return true;
}

void VirtualSerialPort::removeLink()
{
    if (link.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(link);
    char target[4096];
    const ssize_t length = readlink(path.constData(), target, sizeof target - 1);
    if (length > 0 && QFile::decodeName(QByteArray(target, int(length))) == slave)
        ::unlink(path.constData());
    link.clear();
}
