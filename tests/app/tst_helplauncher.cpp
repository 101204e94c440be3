#include "app/HelpLauncher.h"
#include "tests/common/TestRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestHelpLauncher : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void opensWithoutWaiting_data();
    void opensWithoutWaiting();
    void helpFileIsBuilt();

private:
    static bool writeScript(const QString &path, const QByteArray &body);
    static QString binDir();

    QTemporaryDir tools;
    QByteArray savedPath;
};

bool TestHelpLauncher::writeScript(const QString &path, const QByteArray &body)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write("#!/bin/sh\nPATH=/usr/bin:/bin\n" + body);
    script.close();
    return script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString TestHelpLauncher::binDir()
{
    const QString build = qEnvironmentVariable("QUORVANE_BUILD_DIR");
    if (!build.isEmpty())
        return build + QStringLiteral("/bin");
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../../bin");
}

// Stand-ins for the desktop's xdg tools, alone on PATH, so a run records what
// would have been opened instead of opening a window.
void TestHelpLauncher::initTestCase()
{
    QVERIFY(tools.isValid());
    savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(tools.path()));
    QVERIFY(writeScript(tools.filePath(QStringLiteral("xdg-open")),
                        "printf '%s\\n' \"$@\" > \"$0.part\"\nmv \"$0.part\" '"
                            + QFile::encodeName(tools.filePath(QStringLiteral("opened"))) + "'\n"));
}

void TestHelpLauncher::cleanupTestCase()
{
    qputenv("PATH", savedPath);
}

void TestHelpLauncher::opensWithoutWaiting_data()
{
    QTest::addColumn<QByteArray>("query");   // body of the stand-in xdg-mime; empty: none installed
    QTest::addColumn<bool>("withHelpFile");
    QTest::addColumn<QString>("opened");     // relative to the help directory
    QTest::newRow("handler for the registered type")
        << QByteArray("[ \"$3\" = application/vnd.ms-htmlhelp ] && echo chmviewer.desktop\nexit 0\n")
        << true << "help.chm";
    QTest::newRow("handler for the older alias")
        << QByteArray("[ \"$3\" = application/x-chm ] && echo chmviewer.desktop\nexit 0\n")
        << true << "help.chm";
    QTest::newRow("no handler") << QByteArray("exit 0\n") << true << "help/index.html";
    QTest::newRow("query fails") << QByteArray("echo broken >&2\nexit 4\n") << true << "help/index.html";
    QTest::newRow("no query tool") << QByteArray() << true << "help/index.html";
    QTest::newRow("no help file") << QByteArray("echo chmviewer.desktop\n") << false << "help/index.html";
}

void TestHelpLauncher::opensWithoutWaiting()
{
    QFETCH(QByteArray, query);
    QFETCH(bool, withHelpFile);
    QFETCH(QString, opened);

    const QString record = tools.filePath(QStringLiteral("opened"));
    QFile::remove(record);
    const QString queryTool = tools.filePath(QStringLiteral("xdg-mime"));
    QFile::remove(queryTool);
    // The pause shows that the caller does not wait for the desktop's answer.
    if (!query.isEmpty())
        QVERIFY(writeScript(queryTool, "sleep 1\n" + query));

    QTemporaryDir installed;
    const QString directory = installed.filePath(QStringLiteral("program dir"));
    QVERIFY(QDir().mkpath(directory + QStringLiteral("/help")));
    QFile page(directory + QStringLiteral("/help/index.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    if (withHelpFile) {
        QFile chm(directory + QStringLiteral("/help.chm"));
        QVERIFY(chm.open(QIODevice::WriteOnly));
        chm.write("ITSF");
        chm.close();
    }

    QObject window;
    HelpLauncher::openFrom(directory, &window);
    if (withHelpFile && !query.isEmpty())
        QVERIFY(!QFile::exists(record));

    // Written whole and then renamed by the stand-in, so it is complete once it exists.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 15000);
    QFile result(record);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLocal8Bit(result.readAll()), directory + QLatin1Char('/') + opened + QLatin1Char('\n'));
    QTRY_COMPARE(window.children().size(), 0);
}

void TestHelpLauncher::helpFileIsBuilt()
{
    QFile chm(binDir() + QStringLiteral("/help.chm"));
    QVERIFY2(chm.open(QIODevice::ReadOnly), qPrintable(chm.fileName()));
    const QByteArray content = chm.readAll();
    QVERIFY(content.size() > 4096);
    QVERIFY(content.startsWith("ITSF"));

    // The browser fallback has the same pages, and the help file holds each.
    const QStringList pages = QDir(binDir() + QStringLiteral("/help")).entryList({QStringLiteral("*.html")});
    QVERIFY(pages.contains(QStringLiteral("index.html")));
    QVERIFY(pages.size() >= 6);
    for (const QString &name : pages)
        QVERIFY2(content.contains('/' + name.toLatin1()), qPrintable(name));
}

QUORVANE_TEST(TestHelpLauncher);
#include "tst_helplauncher.moc"
