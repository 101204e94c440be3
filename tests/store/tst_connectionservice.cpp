#include "store/ConnectionService.h"
#include "store/RangeReader.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

// A lab's server reached over TLS with the bench's password, named in a libpq service file.
class TestConnectionService : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void serviceSendsReadingsToItsServer_data();
    void serviceSendsReadingsToItsServer();

private:
    // Writes a file only its owner may read.
    bool write(const QString &name, const QByteArray &content)
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
            && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }

    QTemporaryDir dir;
    PgCluster cluster;
};

void TestConnectionService::initTestCase()
{
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther));
    QVERIFY2(cluster.start(), qPrintable(cluster.errorString()));
    // The server's certificate is its own authority; "other" is a stranger's.
    QProcess openssl;
    openssl.setWorkingDirectory(dir.path());
    for (const char *name : {"server", "other"}) {
        openssl.start(QStringLiteral("openssl"),
                      QStringLiteral("req -x509 -newkey rsa:2048 -nodes -keyout %1.key -out %1.crt -days 2 -subj /CN=localhost "
                                     "-addext subjectAltName=DNS:localhost").arg(QLatin1String(name)).split(QLatin1Char(' ')));
        QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
    }
    const QString key = dir.filePath(QStringLiteral("server.key"));
    const passwd *server = getpwnam("postgres");
    QVERIFY(QFile::setPermissions(key, QFile::ReadOwner | QFile::WriteOwner)
            && (geteuid() != 0 || chown(QFile::encodeName(key), server->pw_uid, server->pw_gid) == 0));
    for (const QString &statement : // ALTER SYSTEM one statement at a time
         {QStringLiteral("create role bench login password 'bench-secret'; grant select, insert on invoice to bench"),
          QStringLiteral("alter system set ssl_cert_file = '%1/server.crt'").arg(dir.path()),
          QStringLiteral("alter system set ssl_key_file = '%1/server.key'").arg(dir.path()),
          QStringLiteral("alter system set ssl = on"), QStringLiteral("select pg_reload_conf()")})
        QVERIFY2(cluster.execSql(statement), qPrintable(cluster.errorString()));
    QString ssl;
    QTRY_VERIFY(cluster.execSql(QStringLiteral("show ssl"), &ssl) && ssl.trimmed() == QLatin1String("on"));
}

void TestConnectionService::serviceSendsReadingsToItsServer_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("secret");
    QTest::addColumn<QString>("authority");
    QTest::addColumn<bool>("stores");
    QTest::newRow("password") << "quorvane" << "password=bench-secret" << "server.crt" << true;
    QTest::newRow("password file") << "quorvane" << "passfile=%1/pgpass" << "server.crt" << true;
    QTest::newRow("server of another authority") << "quorvane" << "password=bench-secret" << "other.crt" << false;
    QTest::newRow("no section of ours") << "elsewhere" << "password=bench-secret" << "server.crt" << false;
}

void TestConnectionService::serviceSendsReadingsToItsServer()
{
    QFETCH(QString, section);
    QFETCH(QString, secret);
    QFETCH(QString, authority);
    QFETCH(bool, stores);
    const QString service = dir.filePath(QStringLiteral("pg_service.conf"));
    QVERIFY(write(QStringLiteral("pgpass"), QStringLiteral("*:%1:quorvane:bench:bench-secret\n").arg(cluster.port()).toUtf8()));
    QVERIFY(write(QStringLiteral("pg_service.conf"),
                  QStringLiteral("# the lab's\n[%1]\nhost=localhost\nport=%2\ndbname=quorvane\nuser=bench\n%3\n"
                                 "sslmode=verify-full\nsslrootcert=%4\n").arg(section).arg(cluster.port())
                      .arg(QString(secret).replace(QLatin1String("%1"), dir.path()), dir.filePath(authority)).toUtf8()));
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PGSERVICEFILE"), service);
    environment.insert(QStringLiteral("PGSYSCONFDIR"), dir.path());
    const Database::Settings settings = ConnectionService::resolve(Database::Settings(), environment);
    QCOMPARE(ConnectionService::describe(settings), section == QLatin1String("quorvane")
                 ? QStringLiteral("bench@localhost:%1/quorvane").arg(cluster.port())
                 : QStringLiteral("postgres@localhost:5432/quorvane"));
    if (settings.service.isEmpty())
        return;
    qputenv("PGSERVICEFILE", QFile::encodeName(service));
    QString sessions;
    {
        Database store(settings);
        QCOMPARE(store.open() && store.insert({"DCV", "1.500", "V", "1", "2024-05-01 10:00:00"}), stores);
        QVERIFY(cluster.execSql(QStringLiteral("select bool_and(ssl) from pg_stat_ssl "
                                               "join pg_stat_activity using (pid) where usename = 'bench'"), &sessions));
    }
    RangeReader reader;
    QSignalSpy finished(&reader, &RangeReader::finished);
    const QDateTime start = QDateTime::fromString(QStringLiteral("2024-05-01T09:00:00"), Qt::ISODate);
    QVERIFY(reader.start(settings, start, start.addSecs(7200)) && finished.wait(20000));
    qunsetenv("PGSERVICEFILE");
    QCOMPARE(sessions.trimmed(), stores ? QStringLiteral("t") : QString());
    QCOMPARE(reader.state() == RangeReader::State::Finished && reader.takeRows().value(0) == QLatin1String("1.500"), stores);
}

QUORVANE_TEST(TestConnectionService);
#include "tst_connectionservice.moc"
