#include "tests/common/OrdinaryUser.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

OrdinaryUser::OrdinaryUser()
{
    if (geteuid() != 0)
        return;
    const passwd *nobody = getpwnam("nobody");
    if (!nobody) {
        error = QStringLiteral("there is no user nobody");
        return;
    }
    // The group first: once the user is nobody it may no longer change it.
    if (setegid(nobody->pw_gid) != 0 || seteuid(nobody->pw_uid) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        if (setegid(0) != 0)
            error += QStringLiteral("; the group stays changed");
        return;
    }
    switched = true;
}

OrdinaryUser::~OrdinaryUser()
{
    // The saved user id is still root, so both switches back succeed.
    if (switched && (seteuid(0) != 0 || setegid(0) != 0))
        qFatal("cannot return to root: %s", std::strerror(errno));
}

bool OrdinaryUser::isActive() const
{
    return switched || geteuid() != 0;
}

QString OrdinaryUser::errorString() const
{
    return error;
}

QString OrdinaryUser::writableFileInReadOnlyFolder(const QString &parent, const QString &name,
                                                   const QByteArray &content)
{
    const QFileDevice::Permissions readAndEnter = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
        | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    const QString folder = QDir(parent).filePath(QStringLiteral("read-only"));
    QFile file(QDir(folder).filePath(name));
    if (!QFile::setPermissions(parent, readAndEnter | QFile::WriteOwner) || !QDir().mkpath(folder)
        || !file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    file.close();
    const QFileDevice::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
        | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    if (!file.setPermissions(everyone) || !QFile::setPermissions(folder, readAndEnter))
        return QString();
    return file.fileName();
}
