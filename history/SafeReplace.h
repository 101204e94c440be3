#ifndef SAFEREPLACE_H
#define SAFEREPLACE_H

#include <QCoreApplication>
#include <QString>

#include <memory>

class QTemporaryFile;

// Replaces a file so that a failure or a cancel at any point leaves the old
// one whole: the writer fills a complete copy, which then takes the target's
// place by a rename. The copy is written into the target instead where a
// rename would cut a hard link, change the file's owner or is not allowed
// (a folder the user cannot write, a file they can). Devices and pipes are
// written directly. Links are followed as the kernel follows them for a
// program that protects links in shared folders: a link in a sticky folder
// every user may write is followed only when it belongs to the user or to
// the folder's owner.
class SafeReplace
{
    Q_DECLARE_TR_FUNCTIONS(SafeReplace)
public:
    explicit SafeReplace(const QString &path);
    ~SafeReplace();
    SafeReplace(const SafeReplace &) = delete;
    SafeReplace &operator=(const SafeReplace &) = delete;

    // Prepares the file to write; false with errorString() when the target
    // cannot be written at all. Nothing has changed then.
    bool begin();
    // Where the writer puts the whole content, closing it before commit().
    QString writePath() const;
    // Puts the written content in place of the target. Without it (a
    // failed or cancelled writer) the target stays as it was.
    bool commit();
    QString errorString() const;

    // path with every link in it followed; empty, with the reason in error,
    // for a link that must not be followed or a loop.
    static QString followLinks(const QString &path, QString *error);

private:
    enum class Mode { Direct, Rename, InPlace };

    bool openCopy(const QString &folder);
    int openTargetInPlace();  // 0 or the errno
    bool copyIntoTarget();
    bool fail(const QString &text);
    bool failErrno(int error);

    QString path;
    QString target;
    Mode mode = Mode::Rename;
    std::unique_ptr<QTemporaryFile> copy;
    int targetFd = -1;
    QString lastError;
};

#endif
