#include "history/SafeReplace.h"
#include "tests/common/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

class TestSafeReplace : public QObject
{
    Q_OBJECT
private slots:
    void linksInSharedFolders_data();
    void linksInSharedFolders();
};

void TestSafeReplace::linksInSharedFolders_data()
{
    QTest::addColumn<bool>("sticky");
    QTest::addColumn<QString>("linkOwner");
    QTest::addColumn<bool>("followed");
    QTest::newRow("sticky folder, another user's link") << true << "other" << false;
    QTest::newRow("sticky folder, my link") << true << "me" << true;
    QTest::newRow("sticky folder, the folder owner's link") << true << "folder owner" << true;
    QTest::newRow("folder without the sticky bit") << false << "other" << true;
}

// The link rule is checked here whatever the kernel's own setting is.
void TestSafeReplace::linksInSharedFolders()
{
    QFETCH(bool, sticky);
    QFETCH(QString, linkOwner);
    QFETCH(bool, followed);
    const passwd *nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody)
        QSKIP("links of another user need root and the user nobody");
    QTemporaryDir dir;
    const QString shared = dir.filePath("shared");
    const QByteArray sharedName = QFile::encodeName(shared);
    QVERIFY(QDir().mkdir(shared) && chmod(sharedName.constData(), sticky ? 01777 : 0777) == 0);
    if (linkOwner == "folder owner")
        QVERIFY(chown(sharedName.constData(), nobody->pw_uid, nobody->pw_gid) == 0);
    const QString target = dir.filePath("target.txt");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    const QString link = QDir(shared).filePath("link.txt");
    QVERIFY(QFile::link(target, link));
    const uid_t owner = linkOwner == "me" ? geteuid() : nobody->pw_uid;
    QVERIFY(lchown(QFile::encodeName(link).constData(), owner, owner == 0 ? 0 : nobody->pw_gid) == 0);

    SafeReplace replace(link);
    const bool begun = replace.begin();
    if (begun) {
        QFile file(replace.writePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("new") == 3);
        file.close();
        QVERIFY2(replace.commit(), qPrintable(replace.errorString()));
    }
    QCOMPARE(begun, followed);
    QVERIFY2(followed || replace.errorString().contains("not followed"), qPrintable(replace.errorString()));
    QFile result(target);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), QByteArray(followed ? "new" : "old"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    QCOMPARE(QDir(shared).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             QStringList{"link.txt"});
}

QUORVANE_TEST(TestSafeReplace);
#include "tst_safereplace.moc"
