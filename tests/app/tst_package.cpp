#include "app/HelpWindow.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString buildDir()
{
    const QString build = qEnvironmentVariable("QUORVANE_BUILD_DIR");
    return build.isEmpty() ? QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../..")).absolutePath()
                           : build;
}

// Runs a command to its end; its standard output, or a null array on failure
// with what it said in *errors.
QByteArray run(const QString &program, const QStringList &arguments, QByteArray *errors = nullptr,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(300000);
    if (errors)
        *errors = process.readAllStandardError();
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QByteArray();
    const QByteArray output = process.readAllStandardOutput();
    return output.isNull() ? QByteArray("") : output;
}
}

// The Debian package, built once with CPack into a temporary directory and
// unpacked there as a root file system.
class TestPackage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void holdsEveryFile_data();
    void holdsEveryFile();
    void control();
    void desktopMetadata();
    void manPagesRender_data();
    void manPagesRender();
    void launcherStartsUnpackedProgram();
    void unpackedHelpOpensInChinese();
    void lintianFindsNoError();

private:
    QString field(const QString &name) const;

    QTemporaryDir work;
    QString deb;
    QString root;
};

void TestPackage::initTestCase()
{
    QVERIFY(work.isValid());
    QByteArray errors;
    const QByteArray output = run(QStringLiteral(QUORVANE_CPACK_COMMAND),
                                  {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                                   buildDir() + QStringLiteral("/CPackConfig.cmake"), QStringLiteral("-B"),
                                   work.path()},
                                  &errors);
    QVERIFY2(!output.isNull(), errors.constData());
    const QString architecture = QString::fromLatin1(run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")})).trimmed();
    deb = work.filePath(QStringLiteral("quorvane_%1_%2.deb").arg(QStringLiteral(QUORVANE_VERSION), architecture));
    QVERIFY2(QFileInfo::exists(deb), qPrintable(deb + QLatin1Char('\n') + QString::fromLocal8Bit(output)));
    root = work.filePath(QStringLiteral("root"));
    QVERIFY(!run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root}).isNull());
}

QString TestPackage::field(const QString &name) const
{
    return QString::fromUtf8(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, name})).trimmed();
}

void TestPackage::holdsEveryFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    const QString app = QStringLiteral("usr/lib/quorvane/");
    for (const char *program : {"usr/bin/quorvane", "usr/bin/quorvane-metersim", "usr/bin/quorvane-decode",
                                "usr/bin/quorvane-db-setup", "usr/bin/quorvane-db-stop",
                                "usr/lib/quorvane/db-free-port.sh"})
        QTest::newRow(program) << QString::fromLatin1(program) << true;
    QTest::newRow("program") << app + "quorvane" << true;
    for (const char *file : {"help.chm", "help/index.html", "help/style.css", "help/zh_CN/index.html",
                             "help/zh_CN/simulator.html", "language/language_cn.qm", "language/language_en.qm"})
        QTest::newRow(file) << app + file << false;
    for (const char *file : {"usr/share/applications/quorvane.desktop",
                             "usr/share/icons/hicolor/256x256/apps/quorvane.png",
                             "usr/share/metainfo/org.quorvane.Quorvane.metainfo.xml",
                             "usr/share/man/man1/quorvane.1.gz", "usr/share/man/man1/quorvane-metersim.1.gz",
                             "usr/share/man/man1/quorvane-decode.1.gz", "usr/share/doc/quorvane/copyright",
                             "usr/share/man/man1/quorvane-db-setup.1.gz", "usr/share/man/man1/quorvane-db-stop.1.gz",
                             "usr/share/quorvane/schema.sql", "usr/share/quorvane/grants.sql",
                             "usr/lib/quorvane/db-common.sh",
                             "usr/share/doc/quorvane/changelog.gz"})
        QTest::newRow(file) << QString::fromLatin1(file) << false;
}

void TestPackage::holdsEveryFile()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo file(root + QLatin1Char('/') + path);
    QVERIFY2(file.size() > 0, qPrintable(path));
    QCOMPARE(file.isExecutable(), executable);
}

void TestPackage::control()
{
    QCOMPARE(field(QStringLiteral("Package")), QStringLiteral("quorvane"));
    QCOMPARE(field(QStringLiteral("Version")), QStringLiteral(QUORVANE_VERSION));
    // Found by dpkg-shlibdeps, and what is loaded at run time.
    const QString depends = field(QStringLiteral("Depends"));
    for (const char *package : {"libqt5widgets5", "libqt5serialport5", "libqwt-qt5-6", "libxlsxwriter",
                                "libqt5sql5-psql", "fonts-liberation", "fonts-wqy-microhei"})
        QVERIFY2(depends.contains(QLatin1String(package)), qPrintable(depends));
    const QString recommends = field(QStringLiteral("Recommends"));
    QVERIFY(recommends.contains(QLatin1String("postgresql")));
    QVERIFY(recommends.contains(QLatin1String("qttranslations5-l10n")));
    QVERIFY(recommends.contains(QLatin1String("cups-client | cups-bsd")) && recommends.contains(QLatin1String("xdg-utils")));
    // Stripped: the packaged program carries no debugging sections.
    const QByteArray sections = run(QStringLiteral("readelf"), {QStringLiteral("-S"), root + QStringLiteral("/usr/lib/quorvane/quorvane")});
    QVERIFY(sections.contains(".text"));
    QVERIFY(!sections.contains(".debug_info"));
}

void TestPackage::desktopMetadata()
{
    QFile entry(root + QStringLiteral("/usr/share/applications/quorvane.desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    // Paths of the installed system, not of the staging directory.
    QVERIFY2(text.contains("\nExec=\"/usr/bin/quorvane\"\n"), text.constData());
    QVERIFY(text.contains("\nPath=/usr/lib/quorvane\n"));

    const QString metainfo = root + QStringLiteral("/usr/share/metainfo/org.quorvane.Quorvane.metainfo.xml");
    QFile file(metainfo);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<release version=\"" QUORVANE_VERSION "\""));
    QByteArray errors;
    const QByteArray report = run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfo}, &errors);
    QVERIFY2(!report.isNull(), (report + errors).constData());
}

void TestPackage::manPagesRender_data()
{
    QTest::addColumn<QString>("page");
    for (const char *page : {"quorvane", "quorvane-metersim", "quorvane-decode", "quorvane-db-setup", "quorvane-db-stop"})
        QTest::newRow(page) << QString::fromLatin1(page);
}

void TestPackage::manPagesRender()
{
    QFETCH(QString, page);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    QByteArray warnings;
    const QByteArray text = run(QStringLiteral("man"),
                                {QStringLiteral("--warnings"), QStringLiteral("-l"),
                                 root + QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(page)},
                                &warnings, environment);
    QVERIFY2(warnings.isEmpty(), warnings.constData());
    QVERIFY(text.contains("NAME"));
    QVERIFY(text.contains(page.toUtf8() + " -"));
}

// The launcher makes a private cluster from the unpacked files, then starts
// the program in its own directory, where it maps the Chinese translation,
// and Qt's own beside it from the system.
void TestPackage::launcherStartsUnpackedProgram()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Its owner, when that is the "postgres" system user, must reach it.
    QVERIFY(QFile::setPermissions(work.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther));
    const QString port = QString::number(PgCluster::freePort());
    environment.insert(QStringLiteral("QUORVANE_DB_PORT"), port);
    environment.insert(QStringLiteral("QUORVANE_DB_DIR"), work.filePath(QStringLiteral("db")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_MESSAGES"));
    environment.remove(QStringLiteral("LANGUAGE"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QDir::tempPath());
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(root + QStringLiteral("/usr/bin/quorvane"), QStringList());
    QVERIFY(program.waitForStarted(5000));

    const QString appDir = root + QStringLiteral("/usr/lib/quorvane");
    const auto maps = [&program] {
        QFile file(QStringLiteral("/proc/%1/maps").arg(program.processId()));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(maps().contains(appDir + QStringLiteral("/language/language_cn.qm")), 120000);
    QVERIFY(maps().contains(QStringLiteral("/qtbase_zh_CN.qm")));
    QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(program.processId())).symLinkTarget(), appDir);
    // Set up before the program started: the program's login reaches the table.
    QProcessEnvironment login = environment;
    login.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("r735519"));
    QCOMPARE(run(PgCluster::findBinDir() + QStringLiteral("/psql"),
                 {"-X", "-At", "-h", "localhost", "-p", port, "-U", "postgres", "-d", "quorvane", "-c",
                  "select count(*) from invoice"}, nullptr, login),
             QByteArray("0\n"));
    QCOMPARE(program.state(), QProcess::Running);
    program.terminate();
    QVERIFY(program.waitForFinished(5000));
    QVERIFY(!run(root + QStringLiteral("/usr/bin/quorvane-db-stop"), {}, nullptr, environment).isNull());
}

void TestPackage::unpackedHelpOpensInChinese()
{
    HelpWindow window(root + QStringLiteral("/usr/lib/quorvane/help"), QLocale(QLocale::Chinese));
    QVERIFY(window.openPage(QStringLiteral("connecting.html")));
    QCOMPARE(window.currentTitle(), QString::fromUtf8("连接万用表"));
}

void TestPackage::lintianFindsNoError()
{
    QByteArray errors;
    const QByteArray report = run(QStringLiteral("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error"), deb}, &errors);
    QVERIFY2(!report.isNull(), (report + errors).constData());
    QVERIFY2(!report.contains("E: "), report.constData());
}

QUORVANE_TEST(TestPackage);
#include "tst_package.moc"
