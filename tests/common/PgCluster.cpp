#include "tests/common/PgCluster.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace {
const char serverUser[] = "postgres";
const char password[] = "r735519";

bool isRoot()
{
    return geteuid() == 0;
}

bool giveToServerUser(const QString &path)
{
    if (!isRoot())
        return true;
    const passwd *user = getpwnam(serverUser);
    return user && chown(QFile::encodeName(path).constData(), user->pw_uid, user->pw_gid) == 0;
}
}

// Asks the kernel for a port nobody listens on. Another process could take
// it before the server binds; start() then fails with a clear message.
int PgCluster::freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

// The newest installed server version's programs, else whatever is on PATH.
QString PgCluster::findBinDir()
{
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList names = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &name : names) {
        const QString bin = versions.filePath(name + QStringLiteral("/bin"));
        if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable())
            return bin;
    }
    return QFileInfo(QStandardPaths::findExecutable(QStringLiteral("initdb"))).absolutePath();
}

PgCluster::PgCluster()
    : dir(QDir::tempPath() + QStringLiteral("/quorvane-pg-XXXXXX"))
    , binDir(findBinDir())
{
}

PgCluster::~PgCluster()
{
    stop();
}

bool PgCluster::start()
{
    if (running)
        return true;
    if (!dir.isValid()) {
        error = QStringLiteral("cannot create a temporary directory: ") + dir.errorString();
        return false;
    }
    serverPort = freePort();
    if (serverPort == 0) {
        error = QStringLiteral("no free local port");
        return false;
    }
    const QString passwordFile = dir.filePath(QStringLiteral("password"));
    QFile file(passwordFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(password) < 0) {
        error = QStringLiteral("cannot write ") + passwordFile;
        return false;
    }
    file.close();
    if (!giveToServerUser(dir.path()) || !giveToServerUser(passwordFile)) {
        error = QStringLiteral("cannot hand the cluster directory to the postgres user");
        return false;
    }
    const QStringList initArguments = {
        QStringLiteral("-D"), dir.filePath(QStringLiteral("data")),
        QStringLiteral("-U"), QLatin1String(serverUser),
        QStringLiteral("--pwfile=") + passwordFile,
        QStringLiteral("--auth=scram-sha-256"),
        QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C"),
        // A throwaway cluster need not survive a power cut.
        QStringLiteral("--no-sync")};
    if (!run(tool(QStringLiteral("initdb")), initArguments, true))
        return false;
    if (!startServer())
        return false;
    if (!run(tool(QStringLiteral("createdb")),
             {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
              QString::number(serverPort), QStringLiteral("-U"), QLatin1String(serverUser),
              QStringLiteral("quorvane")},
             false))
        return false;
    const QString schema = QStringLiteral(QUORVANE_SCHEMA_FILE);
    if (!run(psqlPath(),
             {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
              QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
              QString::number(serverPort), QStringLiteral("-U"), QLatin1String(serverUser),
              QStringLiteral("-d"), QStringLiteral("quorvane"), QStringLiteral("-f"), schema},
             false))
        return false;
    return true;
}

void PgCluster::stop()
{
    if (!running)
        return;
    run(tool(QStringLiteral("pg_ctl")),
        {QStringLiteral("-D"), dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
         QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")},
        true);
    running = false;
}

bool PgCluster::restart()
{
    stop();
    return startServer();
}

int PgCluster::port() const
{
    return serverPort;
}

Database::Settings PgCluster::settings() const
{
    Database::Settings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = serverPort;
    return settings;
}

namespace {
const char lockerName[] = "quorvane-test-locker";
}

bool PgCluster::lockInvoice()
{
    const Database::Settings settings = this->settings();
    QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QLatin1String(lockerName));
    locker.setHostName(settings.host);
    locker.setPort(settings.port);
    locker.setDatabaseName(settings.databaseName);
    locker.setUserName(settings.userName);
    locker.setPassword(settings.password);
    QSqlQuery lock(locker);
    if (locker.open() && locker.transaction()
        && lock.exec(QStringLiteral("lock table invoice in access exclusive mode")))
        return true;
    error = locker.lastError().isValid() ? locker.lastError().text() : lock.lastError().text();
    return false;
}

void PgCluster::unlockInvoice()
{
    {
        QSqlDatabase locker = QSqlDatabase::database(QLatin1String(lockerName), false);
        if (locker.isOpen())
            locker.rollback();
        locker.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(lockerName));
}

int PgCluster::sessions(const QString &applicationName, const QString &waitEventType)
{
    QString output;
    const QString waiting = waitEventType.isEmpty()
        ? QString()
        : QStringLiteral(" and wait_event_type = '%1'").arg(waitEventType);
    if (!execSql(QStringLiteral("select count(*) from pg_stat_activity where application_name = '%1'%2")
                     .arg(applicationName, waiting),
            &output))
        return -1;
    return output.trimmed().toInt();
}

QList<QStringList> PgCluster::storedRecords()
{
    QString output;
    if (!execSql(QStringLiteral("select funcstr || '|' || datavaluestr || '|' || unitstr || '|' || frastr || '|' || "
                                "to_char(create_time, 'YYYY-MM-DD HH24:MI:SS') from invoice order by id"),
                 &output))
        return {};
    QList<QStringList> records;
    const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines)
        records << line.split(QLatin1Char('|'));
    return records;
}

bool PgCluster::execSql(const QString &sql, QString *output)
{
    return run(psqlPath(),
               {QStringLiteral("-X"), QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-q"),
                QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"),
                QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(serverPort),
                QStringLiteral("-U"), QLatin1String(serverUser), QStringLiteral("-d"),
                QStringLiteral("quorvane"), QStringLiteral("-c"), sql},
               false, output);
}

QString PgCluster::psqlPath() const
{
    return tool(QStringLiteral("psql"));
}

QString PgCluster::errorString() const
{
    return error;
}

QString PgCluster::tool(const QString &name) const
{
    return binDir + QLatin1Char('/') + name;
}

bool PgCluster::startServer()
{
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1")
                                .arg(serverPort)
                                .arg(dir.path());
    running = run(tool(QStringLiteral("pg_ctl")),
                  {QStringLiteral("-D"), dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                   dir.filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options,
                   QStringLiteral("-w"), QStringLiteral("start")},
                  true);
    return running;
}

QProcessEnvironment PgCluster::clientEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGPASSWORD"), QLatin1String(password));
    environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    return environment;
}

bool PgCluster::run(const QString &program, const QStringList &arguments, bool asServerUser,
                    QString *output)
{
    QProcess process;
    process.setProcessEnvironment(clientEnvironment());
    // The server programs refuse to run as root.
    if (asServerUser && isRoot()) {
        process.setProgram(QStringLiteral("runuser"));
        process.setArguments(QStringList{QStringLiteral("-u"), QLatin1String(serverUser),
                                         QStringLiteral("--"), program}
                             + arguments);
        process.setWorkingDirectory(dir.path());
    } else {
        process.setProgram(program);
        process.setArguments(arguments);
    }
    process.start();
    const bool finished = process.waitForFinished(120000);
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    if (output)
        *output = QString::fromUtf8(out).trimmed();
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error = QFileInfo(program).fileName() + QStringLiteral(" failed: ")
                + (process.error() == QProcess::FailedToStart ? process.errorString()
                                                               : QString::fromUtf8(err).trimmed());
        return false;
    }
    return true;
}
