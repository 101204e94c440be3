#include "store/ConnectionService.h"
#include "store/RangeReader.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

// A lab's server as a second cluster that takes the bench's login only over
// TLS and with a password, named in a libpq service file.
class TestConnectionService : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void serviceSendsReadingsToItsServer_data();
    void serviceSendsReadingsToItsServer();

private:
    bool openssl(const QStringList &arguments);
    bool writeFile(const QString &name, const QByteArray &content, bool serverOwns = false);

    QTemporaryDir dir;
    PgCluster cluster;
};

bool TestConnectionService::openssl(const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral("openssl"), arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool TestConnectionService::writeFile(const QString &name, const QByteArray &content, bool serverOwns)
{
    QFile file(dir.filePath(name));
    const passwd *server = getpwnam("postgres");
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
        && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
        && (!serverOwns || geteuid() != 0 || (server && chown(QFile::encodeName(file.fileName()).constData(), server->pw_uid, server->pw_gid) == 0));
}

void TestConnectionService::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther));
    QVERIFY2(cluster.start(), qPrintable(cluster.errorString()));
    const QString days = QStringLiteral("2");
    for (const QString &ca : {QStringLiteral("ca"), QStringLiteral("other")})
        QVERIFY(openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca + ".key", "-out", ca + ".crt",
                         "-days", days, "-subj", "/CN=Test " + ca}));
    QVERIFY(writeFile(QStringLiteral("san"), "subjectAltName=DNS:localhost\n"));
    QVERIFY(openssl({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr", "-subj",
                     "/CN=localhost"}));
    QVERIFY(openssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key", "-CAcreateserial",
                     "-out", "server.crt", "-days", days, "-extfile", "san"}));
    for (const QString &name : {QStringLiteral("server.key"), QStringLiteral("server.crt")}) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(writeFile(name, file.readAll(), true));
    }
    QString hba;
    // ALTER SYSTEM, one statement at a time.
    for (const QString &statement :
         {QStringLiteral("create role bench login password 'bench-secret'; grant select, insert on invoice to bench"),
          QStringLiteral("alter system set ssl = on"),
          QStringLiteral("alter system set ssl_cert_file = '%1'").arg(dir.filePath(QStringLiteral("server.crt"))),
          QStringLiteral("alter system set ssl_key_file = '%1'").arg(dir.filePath(QStringLiteral("server.key"))),
          QStringLiteral("show hba_file")})
        QVERIFY2(cluster.execSql(statement, &hba), qPrintable(cluster.errorString()));
    QFile file(hba.trimmed());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("hostssl quorvane bench 127.0.0.1/32 scram-sha-256\nhostssl quorvane bench ::1/128 scram-sha-256\n"
               "host all postgres 127.0.0.1/32 scram-sha-256\n");
    file.close();
    QString ssl;
    QVERIFY(cluster.execSql(QStringLiteral("select pg_reload_conf()")));
    QTRY_VERIFY((cluster.execSql(QStringLiteral("show ssl"), &ssl), ssl.trimmed() == QLatin1String("on")));
}

void TestConnectionService::serviceSendsReadingsToItsServer_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("secret");
    QTest::addColumn<QString>("rootCert");
    QTest::addColumn<bool>("stores");
    QTest::newRow("password") << "quorvane" << "password=bench-secret" << "ca.crt" << true;
    QTest::newRow("password file") << "quorvane" << "passfile=%1/pgpass" << "ca.crt" << true;
    QTest::newRow("server of another authority") << "quorvane" << "password=bench-secret" << "other.crt" << false;
    QTest::newRow("no password") << "quorvane" << "" << "ca.crt" << false;
    QTest::newRow("no section of ours") << "elsewhere" << "password=bench-secret" << "ca.crt" << false;
}

void TestConnectionService::serviceSendsReadingsToItsServer()
{
    QFETCH(QString, section);
    QFETCH(QString, secret);
    QFETCH(QString, rootCert);
    QFETCH(bool, stores);
    QVERIFY(writeFile(QStringLiteral("pgpass"), QStringLiteral("*:%1:quorvane:bench:bench-secret\n").arg(cluster.port()).toUtf8()));
    QVERIFY(writeFile(QStringLiteral("pg_service.conf"),
                      QStringLiteral("# the lab's server\n[%1]\nhost=localhost\nport=%2\ndbname=quorvane\nuser=bench\n%3\n"
                                     "sslmode=verify-full\nsslrootcert=%4\n")
                          .arg(section).arg(cluster.port()).arg(QString(secret).replace(QLatin1String("%1"), dir.path()), dir.filePath(rootCert))
                          .toUtf8()));
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PGSERVICEFILE"), dir.filePath(QStringLiteral("pg_service.conf")));
    environment.insert(QStringLiteral("PGSYSCONFDIR"), dir.path());
    const Database::Settings settings = ConnectionService::resolve(Database::Settings(), environment);
    if (section != QLatin1String(ConnectionService::serviceName)) {
        QCOMPARE(ConnectionService::describe(settings), QStringLiteral("postgresql://postgres@localhost:5432/quorvane"));
        return;
    }
    QCOMPARE(ConnectionService::describe(settings), QStringLiteral("postgresql://bench@localhost:%1/quorvane").arg(cluster.port()));
    qputenv("PGSERVICEFILE", environment.value(QStringLiteral("PGSERVICEFILE")).toLocal8Bit());
    QString count;
    {
        Database store(settings);
        QCOMPARE(store.open() && store.insert({"DCV", "1.500", "V", "1", "2024-05-01 10:00:00"}), stores);
        QVERIFY(cluster.execSql(QStringLiteral("select count(*) filter (where ssl) || '/' || count(*) from pg_stat_ssl "
                                               "join pg_stat_activity using (pid) where usename = 'bench'"),
                                &count));
    }
    RangeReader reader;
    QSignalSpy finished(&reader, &RangeReader::finished);
    const QDateTime start = QDateTime::fromString(QStringLiteral("2024-05-01T09:00:00"), Qt::ISODate);
    QVERIFY(reader.start(settings, start, start.addSecs(7200)) && finished.wait(20000));
    qunsetenv("PGSERVICEFILE");
    QCOMPARE(count.trimmed(), stores ? QStringLiteral("1/1") : QStringLiteral("0/0"));
    QCOMPARE(reader.state() == RangeReader::State::Finished, stores);
    if (stores)
        QCOMPARE(reader.takeRows().value(0), QStringLiteral("1.500"));
}

QUORVANE_TEST(TestConnectionService);
#include "tst_connectionservice.moc"
