#ifndef ORDINARYUSER_H
#define ORDINARYUSER_H

#include <QString>

// For as long as it lives, file access is checked as for an ordinary user:
// a test running as root takes the effective user and group "nobody" (root
// passes every permission check); any other user is ordinary already.
class OrdinaryUser
{
public:
    OrdinaryUser();
    ~OrdinaryUser();
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

    // False when root could not switch; the reason is in errorString().
    bool isActive() const;
    QString errorString() const;

    // Makes folder (below parent, which every user may then enter) holding
    // the file name with content, that any user may write; the folder itself
    // may be read but not written. Returns the file's path, empty on failure.
    static QString writableFileInReadOnlyFolder(const QString &parent, const QString &name,
                                                const QByteArray &content);

private:
    bool switched = false;
    QString error;
};

#endif
