#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString buildDir()
{
    const QString build = qEnvironmentVariable("QUORVANE_BUILD_DIR");
    return build.isEmpty() ? QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../..")).absolutePath()
                           : build;
}

// Key=value lines of a desktop entry's [Desktop Entry] group.
QMap<QString, QString> desktopEntry(const QString &path)
{
    QMap<QString, QString> entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            entry.insert(line.left(equals), line.mid(equals + 1));
    }
    return entry;
}
}

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void installedProgramStartsInItsOwnDirectory();
};

void TestInstall::installedProgramStartsInItsOwnDirectory()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A prefix with a blank, as a user's own directory may have.
    const QString prefix = dir.filePath(QStringLiteral("my programs"));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QUORVANE_CMAKE_COMMAND),
                  {QStringLiteral("--install"), buildDir(), QStringLiteral("--prefix"), prefix,
                   QStringLiteral("--component"), QStringLiteral("quorvane")});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
             install.readAll().constData());

    const QString appDir = prefix + QStringLiteral("/lib/quorvane");
    for (const QString &file : {QStringLiteral("quorvane"), QStringLiteral("help.chm"),
                                QStringLiteral("help/index.html"), QStringLiteral("language/language_cn.qm"),
                                QStringLiteral("language/language_en.qm")})
        QVERIFY2(QFileInfo(appDir + QLatin1Char('/') + file).size() > 0, qPrintable(file));
    QVERIFY(QFileInfo(appDir + QStringLiteral("/quorvane")).isExecutable());
    QCOMPARE(QImage(prefix + QStringLiteral("/share/icons/hicolor/256x256/apps/quorvane.png")).size(),
             QSize(256, 256));

    const QMap<QString, QString> entry = desktopEntry(prefix + QStringLiteral("/share/applications/quorvane.desktop"));
    QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(entry.value(QStringLiteral("Exec")), QLatin1Char('"') + prefix + QStringLiteral("/bin/quorvane\""));
    QCOMPARE(entry.value(QStringLiteral("Path")), appDir);
    QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("quorvane"));

    // The launcher, started from elsewhere, runs the program in its own
    // directory, where "language/" and "help.chm" are found. A service file
    // sends the readings to a server of the lab's: no private cluster then.
    const QString launcher = prefix + QStringLiteral("/bin/quorvane");
    QVERIFY(QFileInfo(launcher).isExecutable());
    PgCluster lab;
    QVERIFY2(lab.start(), qPrintable(lab.errorString()));
    QFile service(dir.filePath(QStringLiteral("pg_service.conf")));
    QVERIFY(service.open(QIODevice::WriteOnly));
    service.write(QStringLiteral("[quorvane]\nhost=127.0.0.1\nport=%1\ndbname=quorvane\nuser=postgres\npassword=r735519\n")
                      .arg(lab.port()).toUtf8());
    service.close();
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGSERVICEFILE"), service.fileName());
    environment.insert(QStringLiteral("QUORVANE_DB_DIR"), dir.filePath(QStringLiteral("db")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(QDir::tempPath());
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(launcher, QStringList());
    QVERIFY(program.waitForStarted(5000));
    const QString cwd = QStringLiteral("/proc/%1/cwd").arg(program.processId());
    const QString exe = QStringLiteral("/proc/%1/exe").arg(program.processId());
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(exe).symLinkTarget(), appDir + QStringLiteral("/quorvane"), 10000);
    QCOMPARE(QFileInfo(cwd).symLinkTarget(), appDir);
    QString sessions;
    QTRY_VERIFY_WITH_TIMEOUT(lab.execSql(QStringLiteral("select count(*) from pg_stat_activity where "
                                                        "usename = 'postgres' and datname = 'quorvane' and application_name = ''"), &sessions)
                                 && sessions.trimmed() == QLatin1String("1"), 10000);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("db"))));
    QCOMPARE(program.state(), QProcess::Running);
    program.terminate();
    QVERIFY(program.waitForFinished(5000));
}

QUORVANE_TEST(TestInstall);
#include "tst_install.moc"
