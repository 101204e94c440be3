#include "history/TextExport.h"
#include "tests/common/FileSizeLimit.h"
#include "tests/common/OrdinaryUser.h"
#include "tests/common/TestRegistry.h"
#include "tests/history/TableRows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray Header = "Num\tTime\tData\tUnit\tFunc\n";

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool isCharacterDevice(const char *path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISCHR(info.st_mode);
}

}

class TestTextExport : public QObject
{
    Q_OBJECT
private slots:
    void writesTable_data();
    void writesTable();
    void replacesExistingFile();
    void fullDeviceIsAnError();
    void unopenablePathIsAnOpenError_data();
    void unopenablePathIsAnOpenError();
    void failedWriteKeepsExistingFile();
    void cancelLeavesNoFileAndKeepsAnOldOne_data();
    void cancelLeavesNoFileAndKeepsAnOldOne();
    void linksInSharedFolders_data();
    void linksInSharedFolders();
};

void TestTextExport::writesTable_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty table") << QList<QStringList>() << Header;
    QTest::newRow("one row") << QList<QStringList>{{"2024-05-01 10:00:00", "1.2345", "V", "DCV"}}
                             << Header + "1\t2024-05-01 10:00:00\t1.2345\tV\tDCV\n";
    QTest::newRow("negative and overload, numbered in order")
        << QList<QStringList>{{"2024-05-01 10:00:00", "-0.0012", "mV", "DCmV"},
                              {"2024-05-01 10:00:01", "-0L.", "\u2103", "TEMP"},
                              {"2024-05-01 10:00:02", "", "", ""}}
        << Header + "1\t2024-05-01 10:00:00\t-0.0012\tmV\tDCmV\n"
           "2\t2024-05-01 10:00:01\t-0L.\t" + QString("\u2103").toLocal8Bit() + "\tTEMP\n"
           "3\t2024-05-01 10:00:02\t\t\t\n";
}

void TestTextExport::writesTable()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    const TableRows table(rows);
    TextExport exporter(&table);
    QVERIFY2(exporter.write(path), qPrintable(exporter.errorString()));
    QCOMPARE(exporter.failure(), TextExport::Failure::None);
    QCOMPARE(contents(path), expected);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.txt"});
}

void TestTextExport::replacesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    const TableRows table({{"2024-05-01 10:00:00", "2", "V", "ACV"}});
    TextExport exporter(&table);
    QVERIFY(exporter.write(path));
    QCOMPARE(contents(path), Header + "1\t2024-05-01 10:00:00\t2\tV\tACV\n");
}

void TestTextExport::fullDeviceIsAnError()
{
    if (!isCharacterDevice("/dev/full"))
        QSKIP("/dev/full is not available here");
    QList<QStringList> rows;
    for (int i = 0; i < 2000; ++i)
        rows.append({"2024-05-01 10:00:00", QString::number(i), "V", "DCV"});
    const TableRows table(rows);
    TextExport exporter(&table);
    QVERIFY(!exporter.write("/dev/full"));
    QCOMPARE(exporter.failure(), TextExport::Failure::Write);
    QVERIFY(!exporter.errorString().isEmpty());
    // Writing must never replace the device node by a regular file.
    QVERIFY(isCharacterDevice("/dev/full"));

    const TableRows headerOnlyRows{QList<QStringList>()};
    TextExport headerOnly(&headerOnlyRows);
    QVERIFY(!headerOnly.write("/dev/full"));
    QCOMPARE(headerOnly.failure(), TextExport::Failure::Write);
}

void TestTextExport::unopenablePathIsAnOpenError_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing directory") << "gone/out.txt";
    QTest::newRow("a directory") << ".";
}

void TestTextExport::unopenablePathIsAnOpenError()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const TableRows table({{"a", "b", "c", "d"}});
    TextExport exporter(&table);
    QVERIFY(!exporter.write(dir.filePath(name)));
    QCOMPARE(exporter.failure(), TextExport::Failure::Open);
    QVERIFY(!exporter.errorString().isEmpty());
}

void TestTextExport::failedWriteKeepsExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the previous export\n");
    old.close();

    QList<QStringList> rows;
    for (int i = 0; i < 5000; ++i)
        rows.append({"2024-05-01 10:00:00", QString::number(i), "V", "DCV"});
    const TableRows table(rows);
    TextExport exporter(&table);
    bool written;
    {
        FileSizeLimit limit(64 * 1024);
        written = exporter.write(path);
    }
    QVERIFY(!written);
    QCOMPARE(exporter.failure(), TextExport::Failure::Write);
    QCOMPARE(contents(path), QByteArray("the previous export\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.txt"});
}

void TestTextExport::cancelLeavesNoFileAndKeepsAnOldOne_data()
{
    QTest::addColumn<QString>("earlier");  // empty: no file before
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<int>("cancelAt");
    QTest::newRow("new file, at once") << QString() << false << 0;
    QTest::newRow("new file, midway") << QString() << false << TextExport::progressStep;
    QTest::newRow("earlier file, midway") << "the previous export" << false << TextExport::progressStep;
    QTest::newRow("file in place, midway") << "the previous export" << true << TextExport::progressStep;
}

void TestTextExport::cancelLeavesNoFileAndKeepsAnOldOne()
{
    QFETCH(QString, earlier);
    QFETCH(bool, readOnlyFolder);
    QFETCH(int, cancelAt);
    QTemporaryDir dir;
    QString path = dir.filePath("out.txt");
    if (readOnlyFolder) {
        path = OrdinaryUser::writableFileInReadOnlyFolder(dir.path(), "out.txt", earlier.toUtf8());
        QVERIFY(!path.isEmpty());
    } else if (!earlier.isEmpty()) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(earlier.toUtf8());
    }
    QList<QStringList> rows;
    for (int i = 0; i < 3 * TextExport::progressStep; ++i)
        rows.append({"2024-05-01 10:00:00", QString::number(i), "V", "DCV"});
    const TableRows table(rows);
    TextExport exporter(&table);
    QList<int> told;
    exporter.setProgress([&](int written, int count) {
        told << written;
        return count == rows.size() && written < cancelAt;
    });
    bool written = true;
    {
        std::unique_ptr<OrdinaryUser> user(readOnlyFolder ? new OrdinaryUser : nullptr);
        if (user && !user->isActive())
            QSKIP(qPrintable("cannot test as an ordinary user: " + user->errorString()));
        written = exporter.write(path);
    }
    QVERIFY(!written);
    QVERIFY2(exporter.failure() == TextExport::Failure::Cancelled, qPrintable(exporter.errorString()));
    QCOMPARE(told.last(), cancelAt);
    if (earlier.isEmpty())
        QVERIFY(!QFileInfo::exists(path));
    else
        QCOMPARE(contents(path), earlier.toUtf8());
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden),
        earlier.isEmpty() ? QStringList() : QStringList{"out.txt"});
}

void TestTextExport::linksInSharedFolders_data()
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
void TestTextExport::linksInSharedFolders()
{
    QFETCH(bool, sticky);
    QFETCH(QString, linkOwner);
    QFETCH(bool, followed);
    const passwd *nobody = getpwnam("nobody");
    if (geteuid() != 0 || !nobody)
        QSKIP("links of another user need root and the user nobody");
    QTemporaryDir dir;
    const QString shared = dir.filePath("shared");
    QVERIFY(QDir().mkdir(shared) && chmod(QFile::encodeName(shared).constData(), sticky ? 01777 : 0777) == 0);
    QVERIFY(linkOwner != "folder owner" || chown(QFile::encodeName(shared).constData(), nobody->pw_uid, nobody->pw_gid) == 0);
    const QString target = dir.filePath("target.txt");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(Header) == Header.size() && old.flush());
    const QString link = QDir(shared).filePath("link.txt");
    const uid_t owner = linkOwner == "me" ? geteuid() : nobody->pw_uid;
    QVERIFY(QFile::link(target, link) && lchown(QFile::encodeName(link).constData(), owner, owner == 0 ? 0 : nobody->pw_gid) == 0);

    const TableRows table({{"2024-05-01 10:00:00", "2", "V", "ACV"}});
    TextExport exporter(&table);
    QCOMPARE(exporter.write(link), followed);
    QVERIFY2(followed || exporter.errorString().contains("not followed"), qPrintable(exporter.errorString()));
    QCOMPARE(contents(target), followed ? Header + "1\t2024-05-01 10:00:00\t2\tV\tACV\n" : Header);
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    QCOMPARE(QDir(shared).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             QStringList{"link.txt"});
}

QUORVANE_TEST(TestTextExport);
#include "tst_textexport.moc"
