#include "history/SafeReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
// As many links as the kernel follows in one path.
const int MaxLinks = 40;
const qint64 CopyChunk = 1 << 20;
}

SafeReplace::SafeReplace(const QString &path)
    : path(path)
{
}

SafeReplace::~SafeReplace()
{
    if (targetFd >= 0)
        ::close(targetFd);
}

QString SafeReplace::followLinks(const QString &path, QString *error)
{
    QStringList rest = QFileInfo(path).absoluteFilePath().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString done;  // the part resolved so far; empty is the root
    int links = 0;
    while (!rest.isEmpty()) {
        const QString part = rest.takeFirst();
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            done.truncate(qMax(0, done.lastIndexOf(QLatin1Char('/'))));
            continue;
        }
        const QString next = done + QLatin1Char('/') + part;
        const QByteArray nextName = QFile::encodeName(next);
        struct stat link;
        // Whatever is missing is left to the open that follows to report.
        if (::lstat(nextName.constData(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            done = next;
            continue;
        }
        if (++links > MaxLinks) {
            *error = QString::fromLocal8Bit(std::strerror(ELOOP));
            return QString();
        }
        struct stat folder;
        const QByteArray folderName = QFile::encodeName(done.isEmpty() ? QStringLiteral("/") : done);
        const mode_t shared = S_ISVTX | S_IWOTH;
        if (::stat(folderName.constData(), &folder) != 0
            || ((folder.st_mode & shared) == shared && link.st_uid != geteuid()
                && link.st_uid != folder.st_uid)) {
            *error = tr("%1 is a link that another user made in a folder every user may write to; "
                        "it is not followed.").arg(QDir::toNativeSeparators(next));
            return QString();
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(nextName.constData(), target, sizeof target);
        if (length < 0 || length == ssize_t(sizeof target)) {
            *error = QString::fromLocal8Bit(std::strerror(length < 0 ? errno : ENAMETOOLONG));
            return QString();
        }
        const QString linked = QFile::decodeName(QByteArray(target, int(length)));
        if (linked.startsWith(QLatin1Char('/')))
            done.clear();
        rest = linked.split(QLatin1Char('/'), Qt::SkipEmptyParts) + rest;
    }
    return done.isEmpty() ? QStringLiteral("/") : done;
}

bool SafeReplace::begin()
{
    QString error;
    target = followLinks(path, &error);
    if (target.isEmpty())
        return fail(error);
    struct stat info;
    const bool exists = ::lstat(QFile::encodeName(target).constData(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
        return failErrno(EISDIR);
    // A device or pipe is no file to rename over; as root the rename would
    // even succeed and destroy the device node.
    if (exists && !S_ISREG(info.st_mode)) {
        mode = Mode::Direct;
        return true;
    }
    const QString folder = QFileInfo(target).absolutePath();
    // A rename would leave the file's other names with the old content and
    // would make another user's file ours.
    const bool keepFile = exists && (info.st_nlink > 1 || (geteuid() != 0 && info.st_uid != geteuid()));
    if (!keepFile && openCopy(folder)) {
        mode = Mode::Rename;
        // The copy is private; it takes the permissions and owner of the file
        // it replaces, or those a new file would get.
        if (exists) {
            QFile::setPermissions(copy->fileName(), QFile::permissions(target));
            if (geteuid() == 0 && ::chown(QFile::encodeName(copy->fileName()).constData(), info.st_uid, info.st_gid) != 0)
                return failErrno(errno);
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::chmod(QFile::encodeName(copy->fileName()).constData(), 0666 & ~mask);
        }
        return true;
    }
    if (!exists)
        return fail(copy->errorString());
    mode = Mode::InPlace;
    const int openError = openTargetInPlace();
    if (openError != 0)
        return failErrno(openError);
    // The complete copy goes beside the target when the folder takes it,
    // else among the temporary files.
    return openCopy(folder) || openCopy(QDir::tempPath()) || fail(copy->errorString());
}

QString SafeReplace::writePath() const
{
    return mode == Mode::Direct ? target : copy->fileName();
}

bool SafeReplace::commit()
{
    if (mode == Mode::Direct)
        return true;
    if (mode == Mode::InPlace)
        return copyIntoTarget();
    const QByteArray copyName = QFile::encodeName(copy->fileName());
    // The content is on the disk before the name points at it.
    const int copyFd = ::open(copyName.constData(), O_RDONLY | O_CLOEXEC);
    if (copyFd < 0 || ::fsync(copyFd) != 0) {
        const int error = errno;
        if (copyFd >= 0)
            ::close(copyFd);
        return failErrno(error);
    }
    ::close(copyFd);
    if (std::rename(copyName.constData(), QFile::encodeName(target).constData()) == 0) {
        copy->setAutoRemove(false);
        return true;
    }
    // A sticky folder forbids replacing a file of another user who still
    // lets us write it.
    const int renameError = errno;
    return openTargetInPlace() == 0 ? copyIntoTarget() : failErrno(renameError);
}

QString SafeReplace::errorString() const
{
    return lastError;
}

bool SafeReplace::openCopy(const QString &folder)
{
    copy = std::make_unique<QTemporaryFile>(
        QDir(folder).filePath(QLatin1Char('.') + QFileInfo(target).fileName() + QStringLiteral(".XXXXXX")));
    if (!copy->open())
        return false;
    copy->close();
    return true;
}

int SafeReplace::openTargetInPlace()
{
    // Not truncated: the old content stays until the new one is complete.
    targetFd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    return targetFd < 0 ? errno : 0;
}

bool SafeReplace::copyIntoTarget()
{
    QFile source(copy->fileName());
    if (!source.open(QIODevice::ReadOnly))
        return fail(source.errorString());
    const qint64 size = source.size();
    // A file size limit or a full disk is found before the first byte of the
    // old content is overwritten: the blocks are reserved first.
    rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && rlim_t(size) > limit.rlim_cur)
        return failErrno(EFBIG);
    if (size > 0 && ::fallocate(targetFd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS)
        return failErrno(errno);
    qint64 offset = 0;
    while (offset < size) {
        const QByteArray chunk = source.read(CopyChunk);
        if (chunk.isEmpty())
            return fail(source.errorString());
        for (qint64 written = 0; written < chunk.size();) {
            const ssize_t count = ::pwrite(targetFd, chunk.constData() + written, size_t(chunk.size() - written),
                                           offset + written);
            if (count < 0 && errno != EINTR)
                return failErrno(errno);
            written += qMax<ssize_t>(count, 0);
        }
        offset += chunk.size();
    }
    if (::ftruncate(targetFd, size) != 0 || ::fsync(targetFd) != 0)
        return failErrno(errno);
    return ::close(std::exchange(targetFd, -1)) == 0 || failErrno(errno);
}

bool SafeReplace::fail(const QString &text)
{
    lastError = text;
    return false;
}

bool SafeReplace::failErrno(int error)
{
    return fail(QString::fromLocal8Bit(std::strerror(error)));
}
