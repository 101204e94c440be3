#include "store/Database.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

#include <memory>

// Runs the database set-up and stop scripts against private clusters in a
// temporary directory on a free port, as root and as a plain user, and
// checks what the program's login and everybody else can do afterwards.
class TestDbSetup : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void freshClusterLetsTheLoginOnlyStoreAndRead_data();
    void freshClusterLetsTheLoginOnlyStoreAndRead();
    void earlierClusterIsMovedWithEveryRow_data();
    void earlierClusterIsMovedWithEveryRow();
    void failedMoveLeavesTheEarlierClusterRunning();
    void foreignServerIsNotGivenThePublishedPassword();
    void attacksThroughTheLoginAreUndoneByARerun_data();
    void attacksThroughTheLoginAreUndoneByARerun();
    void killedMoveIsFinishedOrUndoneByARerun_data();
    void killedMoveIsFinishedOrUndoneByARerun();
    void squattedPortIsRefused();

private:
    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    void runAsPlainUser(bool plain);
    Result run(const QString &program, const QStringList &arguments, const QString &user = {},
               const QByteArray &input = {}) const;
    Result script(const QString &name, const QString &setting = {}) const;
    Result asOwner(const QString &tool, const QStringList &arguments) const;
    Result sql(const QString &host, const QString &role, const QString &database, const QString &statement,
               const QString &user = {}, const QString &secret = {}) const;
    Result adminSql(const QString &statement, const QString &database = QStringLiteral("quorvane")) const;
    Result programSql(const QString &statement, const QString &database = QStringLiteral("quorvane")) const;
    Result earlierSuperuserSql(const QString &statement) const;
    void makeEarlierCluster(int rows);
    void startServer(const QString &data, const QString &socket);
    void stopCluster(const QString &data);
    void checkOnlyTheOwnerIsSuperuser();
    void checkLoginIsConfined();
    QString clusterState() const;
    QString readingsText(const Result &rows) const;

    QString base() const;
    QString socketDir() const;
    QString tool(const QString &name) const;

    std::unique_ptr<QTemporaryDir> dir;
    QString binDir;
    QString scriptUser; // empty: this process's own user
    QString owner;      // the system account the cluster runs as
    int port = 0;
    QStringList serversToStop;
};

namespace {
const char password[] = "r735519";
const char admin[] = "quorvane_admin";

bool isRoot()
{
    return geteuid() == 0;
}

bool chownTo(const QString &path, const QString &user)
{
    const passwd *account = getpwnam(user.toLocal8Bit().constData());
    return account && chown(QFile::encodeName(path).constData(), account->pw_uid, account->pw_gid) == 0;
}

QString selfName()
{
    const passwd *account = getpwuid(geteuid());
    return account ? QString::fromLocal8Bit(account->pw_name) : QString();
}

const char insertReading[] =
    "insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time) "
    "values ('DCV', '-1.234', 'V', '1', '2024-05-01 10:00:00')";
const char readingsQuery[] =
    "select funcstr || '|' || datavaluestr || '|' || unitstr || '|' || frastr || '|' || create_time "
    "from invoice order by create_time, funcstr, datavaluestr";
}

void TestDbSetup::init()
{
    dir.reset(new QTemporaryDir(QDir::tempPath() + QStringLiteral("/quorvane-setup-XXXXXX")));
    QVERIFY(dir->isValid());
    // The cluster's owner must reach the directory below this one.
    QVERIFY(QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                   | QFile::ExeGroup | QFile::ExeOther));
    // A plain user may not read the source tree, so the scripts run from a copy.
    for (const QString &path : {QStringLiteral("scripts/db-setup.sh"), QStringLiteral("scripts/db-common.sh"),
                                QStringLiteral("scripts/db-stop.sh"), QStringLiteral("db/schema.sql"),
                                QStringLiteral("db/grants.sql")}) {
        QDir().mkpath(QFileInfo(dir->filePath(QStringLiteral("src/") + path)).path());
        QVERIFY(QFile::copy(QStringLiteral(QUORVANE_SOURCE_DIR "/") + path, dir->filePath(QStringLiteral("src/") + path)));
    }
    run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("a+rX"), dir->filePath(QStringLiteral("src"))});
    // Each case's readings wait in a spool of its own.
    qputenv("XDG_DATA_HOME", dir->filePath(QStringLiteral("data")).toLocal8Bit());
    binDir = PgCluster::findBinDir();
    port = PgCluster::freePort();
    QVERIFY(port > 0);
    runAsPlainUser(false);
}

// Stops every server a test started, also when it failed half way.
void TestDbSetup::cleanup()
{
    const QStringList clusters = QDir(base()).entryList({QStringLiteral("pgdata*")}, QDir::Dirs);
    for (const QString &name : clusters)
        serversToStop << QDir(base()).filePath(name);
    for (const QString &data : qAsConst(serversToStop)) {
        if (QFile::exists(data + QStringLiteral("/postmaster.pid")))
            asOwner(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), data, QStringLiteral("-m"),
                                               QStringLiteral("immediate"), QStringLiteral("-w"),
                                               QStringLiteral("stop")});
    }
    serversToStop.clear();
    dir.reset();
}

// Root runs the scripts as the unprivileged "nobody"; anyone else as
// themselves.
void TestDbSetup::runAsPlainUser(bool plain)
{
    scriptUser = plain && isRoot() ? QStringLiteral("nobody") : QString();
    owner = !scriptUser.isEmpty() ? scriptUser : isRoot() ? QStringLiteral("postgres") : selfName();
    if (plain && isRoot()) {
        QVERIFY(QDir().mkpath(base()));
        QVERIFY(chownTo(base(), scriptUser));
    }
}

TestDbSetup::Result TestDbSetup::run(const QString &program, const QStringList &arguments,
                                     const QString &user, const QByteArray &input) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QStringLiteral("/"));
    if (!user.isEmpty() && user != selfName()) {
        process.setProgram(QStringLiteral("runuser"));
        process.setArguments(QStringList{QStringLiteral("-u"), user, QStringLiteral("--"), program} + arguments);
    } else {
        process.setProgram(program);
        process.setArguments(arguments);
    }
    process.start();
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    Result result;
    if (process.waitForFinished(180000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    result.err = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return result;
}

// `setting`: one more NAME=value for the script's environment.
TestDbSetup::Result TestDbSetup::script(const QString &name, const QString &setting) const
{
    return run(QStringLiteral("env"),
               {QStringLiteral("QUORVANE_DB_PORT=") + QString::number(port),
                QStringLiteral("QUORVANE_DB_DIR=") + base(), setting.isEmpty() ? QStringLiteral("A=") : setting,
                QStringLiteral("bash"), dir->filePath(QStringLiteral("src/scripts/") + name)},
               scriptUser);
}

TestDbSetup::Result TestDbSetup::asOwner(const QString &name, const QStringList &arguments) const
{
    return run(tool(name), arguments, owner);
}

// One statement through psql as the system account `user` (this process's
// own when empty), never prompting for a password.
TestDbSetup::Result TestDbSetup::sql(const QString &host, const QString &role, const QString &database,
                                     const QString &statement, const QString &user, const QString &secret) const
{
    return run(QStringLiteral("env"),
               {QStringLiteral("PGPASSWORD=") + secret, tool(QStringLiteral("psql")), QStringLiteral("-X"),
                QStringLiteral("-At"), QStringLiteral("-w"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-h"), host, QStringLiteral("-p"), QString::number(port), QStringLiteral("-U"), role,
                QStringLiteral("-d"), database, QStringLiteral("-c"), statement},
               user);
}

TestDbSetup::Result TestDbSetup::adminSql(const QString &statement, const QString &database) const
{
    return sql(socketDir(), QLatin1String(admin), database, statement, owner);
}

TestDbSetup::Result TestDbSetup::programSql(const QString &statement, const QString &database) const
{
    return sql(QStringLiteral("localhost"), QStringLiteral("postgres"), database, statement, {},
               QLatin1String(password));
}

// The way the earlier set-up logged in as the cluster's superuser.
TestDbSetup::Result TestDbSetup::earlierSuperuserSql(const QString &statement) const
{
    return sql(socketDir(), QStringLiteral("postgres"), QStringLiteral("quorvane"), statement, owner,
               QLatin1String(password));
}

// A private cluster as the earlier set-up made it: its superuser is the
// program's login with the published password, holding `rows` readings.
void TestDbSetup::makeEarlierCluster(int rows)
{
    startServer(base() + QStringLiteral("/pgdata"), socketDir());
    if (QTest::currentTestFailed())
        return;
    Result result = programSql(QStringLiteral("create database quorvane"), QStringLiteral("postgres"));
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QFile schema(QStringLiteral(QUORVANE_SOURCE_DIR "/db/schema.sql"));
    QVERIFY(schema.open(QIODevice::ReadOnly));
    result = programSql(QString::fromUtf8(schema.readAll()));
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    result = programSql(QStringLiteral("insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time) "
                                       "select 'DCV', to_char(i * 0.001, 'FM0.000'), 'V', i % 4, "
                                       "timestamp '2024-05-01 10:00:00' + i * interval '1 second' "
                                       "from generate_series(1, %1) i")
                            .arg(rows));
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
}

// A server as the earlier set-up made them, run by `owner`: its superuser is
// "postgres" with the published password, on this test's port.
void TestDbSetup::startServer(const QString &data, const QString &socket)
{
    const QString passwordFile = dir->filePath(QStringLiteral("password"));
    QFile file(passwordFile);
    QVERIFY(QDir().mkpath(socket) && file.open(QIODevice::WriteOnly) && file.write(password) > 0);
    file.close();
    for (const QString &path : {QFileInfo(data).path(), socket, passwordFile})
        QVERIFY(!isRoot() || chownTo(path, owner));
    serversToStop << data;
    Result result = asOwner(QStringLiteral("initdb"),
                            {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                             QStringLiteral("--pwfile=") + passwordFile, QStringLiteral("--auth=scram-sha-256"),
                             QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C.UTF-8"),
                             QStringLiteral("--no-sync")});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    result = run(QStringLiteral("tee"), {QStringLiteral("-a"), data + QStringLiteral("/postgresql.conf")}, owner,
                 QStringLiteral("port = %1\nlisten_addresses = 'localhost'\nunix_socket_directories = '%2'\n")
                     .arg(port).arg(socket).toUtf8());
    QVERIFY(result.exitCode == 0);
    result = asOwner(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), data, QStringLiteral("-l"),
                                                data + QStringLiteral(".log"), QStringLiteral("-w"),
                                                QStringLiteral("start")});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
}

void TestDbSetup::stopCluster(const QString &data)
{
    QCOMPARE(asOwner(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), data, QStringLiteral("-w"), QStringLiteral("stop")})
                 .exitCode,
             0);
}

// No superuser of the cluster lets anyone but its owner in: not over TCP,
// with the published password or none, and not over the socket as root or
// as another plain account.
void TestDbSetup::checkOnlyTheOwnerIsSuperuser()
{
    const Result superusers = adminSql(QStringLiteral("select rolname from pg_roles where rolsuper order by 1"));
    QCOMPARE(superusers.out, QLatin1String(admin));
    QCOMPARE(adminSql(QStringLiteral("select count(*) from pg_authid where rolsuper and rolpassword is not null")).out,
             QStringLiteral("0"));
    for (const QString &secret : {QString::fromLatin1(password), QString()}) {
        const Result tcp = sql(QStringLiteral("127.0.0.1"), QLatin1String(admin), QStringLiteral("postgres"),
                               QStringLiteral("select 1"), {}, secret);
        QVERIFY2(tcp.exitCode != 0, qPrintable(tcp.out));
    }
    QStringList others;
    if (isRoot())
        others << QStringLiteral("root") << (owner == QLatin1String("nobody") ? QStringLiteral("daemon")
                                                                             : QStringLiteral("nobody"));
    for (const QString &other : qAsConst(others)) {
        const Result socket = sql(socketDir(), QLatin1String(admin), QStringLiteral("postgres"),
                                  QStringLiteral("select 1"), other);
        QVERIFY2(socket.exitCode != 0, qPrintable(other));
    }
}

// The program's login stores and reads readings, and can do nothing that
// would reach past the readings table.
void TestDbSetup::checkLoginIsConfined()
{
    Result result = programSql(QLatin1String(insertReading));
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    result = programSql(QStringLiteral("select funcstr, datavaluestr from invoice where create_time = '2024-05-01 10:00:00' "
                                       "and datavaluestr = '-1.234'"));
    QCOMPARE(result.out, QStringLiteral("DCV|-1.234"));

    const struct
    {
        const char *database;
        const char *statement;
    } forbidden[] = {
        {"quorvane", "copy (select 1) to program 'id'"},
        {"quorvane", "select pg_read_file('/etc/passwd')"},
        {"quorvane", "select lo_import('/etc/passwd')"},
        {"quorvane", "select lo_export(0, '/tmp/quorvane-lo')"},
        {"quorvane", "create role intruder"},
        {"quorvane", "create database intruder"},
        {"quorvane", "create table intruder (a int)"},
        {"quorvane", "create temporary table intruder (a int)"},
        {"quorvane", "update invoice set datavaluestr = '0'"},
        {"quorvane", "delete from invoice"},
        {"quorvane", "set role quorvane_admin"},
        {"postgres", "select 1"},
        {"template1", "select 1"},
    };
    for (const auto &attempt : forbidden) {
        result = programSql(QLatin1String(attempt.statement), QLatin1String(attempt.database));
        QVERIFY2(result.exitCode != 0, attempt.statement);
    }
    QCOMPARE(adminSql(QStringLiteral("select rolsuper, rolcreaterole, rolcreatedb, rolreplication, rolbypassrls, "
                                     "(select count(*) from pg_auth_members where member = r.oid) "
                                     "from pg_roles r where rolname = 'postgres'"))
                 .out,
             QStringLiteral("f|f|f|f|f|0"));
}

// What a set-up run could change: roles, memberships, rights, readings,
// server configuration and the server process itself.
QString TestDbSetup::clusterState() const
{
    QString state = adminSql(QStringLiteral(
                                 "select string_agg(format('%s %s %s %s %s %s', rolname, rolsuper, rolcreaterole, "
                                 "rolcreatedb, rolcanlogin, rolpassword), E'\\n' order by rolname) "
                                 "from pg_authid where rolname !~ '^pg_' "
                                 "union all select count(*)::text from pg_auth_members "
                                 "union all select string_agg(datname || coalesce(datacl::text, ''), ' ' "
                                 "order by datname) from pg_database "
                                 "union all select string_agg(relname || coalesce(relacl::text, ''), ' ' "
                                 "order by relname) from pg_class where relnamespace = 'public'::regnamespace "
                                 "union all select count(*)::text from invoice"))
                        .out;
    for (const QString &name : {QStringLiteral("pg_hba.conf"), QStringLiteral("pg_ident.conf"),
                                QStringLiteral("postgresql.conf"), QStringLiteral("postmaster.pid")})
        state += run(QStringLiteral("cat"), {base() + QStringLiteral("/pgdata/") + name}, owner).out;
    return state;
}

QString TestDbSetup::readingsText(const Result &rows) const
{
    return rows.exitCode == 0 ? rows.out : QStringLiteral("failed: ") + rows.err;
}

QString TestDbSetup::base() const
{
    return dir ? dir->filePath(QStringLiteral("cluster")) : QString();
}

QString TestDbSetup::socketDir() const
{
    return base() + QStringLiteral("/run");
}

QString TestDbSetup::tool(const QString &name) const
{
    return binDir + QLatin1Char('/') + name;
}

void TestDbSetup::freshClusterLetsTheLoginOnlyStoreAndRead_data()
{
    QTest::addColumn<bool>("plainUser");
    QTest::newRow("as root") << false;
    QTest::newRow("as a plain user") << true;
}

void TestDbSetup::freshClusterLetsTheLoginOnlyStoreAndRead()
{
    QFETCH(bool, plainUser);
    if (!plainUser && !isRoot())
        QSKIP("needs root");
    runAsPlainUser(plainUser);
    Result result = script(QStringLiteral("db-setup.sh"));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    QVERIFY2(result.out.endsWith(QStringLiteral("Ready: database \"quorvane\" with table \"invoice\" on localhost:%1.")
                                     .arg(port)),
             qPrintable(result.out));
    QCOMPARE(run(QStringLiteral("stat"), {QStringLiteral("-c"), QStringLiteral("%U"),
                                          base() + QStringLiteral("/pgdata/PG_VERSION")})
                 .out,
             owner);

    checkLoginIsConfined();
    checkOnlyTheOwnerIsSuperuser();

    const QString before = clusterState();
    result = script(QStringLiteral("db-setup.sh"));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QStringLiteral("Ready: database \"quorvane\" with table \"invoice\" on localhost:%1.").arg(port));
    QCOMPARE(clusterState(), before);

    result = script(QStringLiteral("db-stop.sh"));
    QCOMPARE(result.exitCode, 0);
    QVERIFY(run(tool(QStringLiteral("pg_isready")),
                {QStringLiteral("-h"), QStringLiteral("localhost"), QStringLiteral("-p"), QString::number(port)})
                .exitCode
            != 0);
    QVERIFY(!QFile::exists(base() + QStringLiteral("/pgdata/postmaster.pid")));
}

void TestDbSetup::earlierClusterIsMovedWithEveryRow_data()
{
    QTest::addColumn<bool>("plainUser");
    QTest::addColumn<bool>("running");
    QTest::newRow("running, as root") << false << true;
    QTest::newRow("stopped, as root") << false << false;
    QTest::newRow("running, as a plain user") << true << true;
}

void TestDbSetup::earlierClusterIsMovedWithEveryRow()
{
    QFETCH(bool, plainUser);
    QFETCH(bool, running);
    if (!plainUser && !isRoot())
        QSKIP("needs root");
    runAsPlainUser(plainUser);
    const int rows = 2500;
    makeEarlierCluster(rows);
    if (QTest::currentTestFailed())
        return;
    // Planted while the superuser had the published password: data, a program run as the owner, a trigger
    // eating readings, an event trigger on the set-up's own statements. Only the readings may travel.
    const QString planted = QDir::tempPath() + QStringLiteral("/quorvane-planted-%1").arg(port);
    QCOMPARE(earlierSuperuserSql(QStringLiteral("select lo_from_bytea(0, 'trace') > 0; "
                 "create function public.run() returns event_trigger language plpgsql security definer "
                 "as $$ begin copy (select 1) to program 'touch %1'; end $$; "
                 "create function public.eat() returns trigger language plpgsql as $$ begin return null; end $$; "
                 "create trigger eat before insert on invoice for each row execute function public.eat(); "
                 "create event trigger run on ddl_command_start execute function public.run()").arg(planted)).err,
             QString());
    QFile::remove(planted);
    const QString readings = readingsText(earlierSuperuserSql(QLatin1String(readingsQuery)));
    QCOMPARE(readings.count(QLatin1Char('\n')) + 1, rows);
    if (!running)
        stopCluster(base() + QStringLiteral("/pgdata"));

    Result result = script(QStringLiteral("db-setup.sh"));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    QVERIFY2(result.out.contains(QStringLiteral("Copied %1 readings.").arg(rows)), qPrintable(result.out));
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    const QStringList kept = QDir(base()).entryList({QStringLiteral("pgdata.old-*")}, QDir::Dirs);
    QCOMPARE(kept.size(), 1);
    QVERIFY(result.out.contains(base() + QLatin1Char('/') + kept.first()));
    QVERIFY(QFile::exists(base() + QLatin1Char('/') + kept.first() + QStringLiteral("/PG_VERSION")));

    QCOMPARE(readingsText(programSql(QLatin1String(readingsQuery))), readings);
    QCOMPARE(adminSql(QStringLiteral("select (select count(*) from pg_largeobject_metadata) "
                                     "+ (select count(*) from pg_proc where pronamespace = 'public'::regnamespace) "
                                     "+ (select count(*) from pg_trigger where not tgisinternal) "
                                     "+ (select count(*) from pg_event_trigger)")).out, QStringLiteral("0"));
    QVERIFY(!QFile::exists(planted));
    // The role the earlier initdb made (always the first one) owns the
    // built-in functions; the program's login must be another.
    QCOMPARE(adminSql(QStringLiteral("select rolname from pg_roles where oid = 10")).out, QLatin1String(admin));
    QCOMPARE(programSql(QStringLiteral("select count(*) from pg_roles where oid = 10 and rolname = current_user")).out,
             QStringLiteral("0"));
    checkLoginIsConfined();
    checkOnlyTheOwnerIsSuperuser();
    // New readings continue the key after the moved ones.
    QCOMPARE(programSql(QStringLiteral("select max(id) from invoice")).out, QString::number(rows + 1));

    const QString before = clusterState();
    result = script(QStringLiteral("db-setup.sh"));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(clusterState(), before);
    QCOMPARE(QDir(base()).entryList({QStringLiteral("pgdata.old-*")}, QDir::Dirs), kept);
}

// A copy that cannot be loaded into the new cluster leaves the earlier one
// in place and serving the program, with every row.
void TestDbSetup::failedMoveLeavesTheEarlierClusterRunning()
{
    if (!isRoot())
        QSKIP("needs root");
    makeEarlierCluster(300);
    if (QTest::currentTestFailed())
        return;
    // A row the table of db/schema.sql refuses.
    Result result = earlierSuperuserSql(QStringLiteral(
        "alter table invoice alter column funcstr drop not null; "
        "insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time) "
        "values (null, '1', 'V', 1, '2024-05-02 10:00:00')"));
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    const QString readings = readingsText(earlierSuperuserSql(QLatin1String(readingsQuery)));

    result = script(QStringLiteral("db-setup.sh"));
    QVERIFY(result.exitCode != 0);
    QVERIFY2(result.err.contains(QStringLiteral("null value in column \"funcstr\""))
                 && result.err.contains(QStringLiteral("runs on as it was")),
             qPrintable(result.err));
    QVERIFY(QDir(base()).entryList({QStringLiteral("pgdata.*")}, QDir::Dirs).isEmpty());
    QCOMPARE(readingsText(programSql(QLatin1String(readingsQuery))), readings);
    QCOMPARE(programSql(QStringLiteral("select rolsuper from pg_roles where rolname = current_user")).out,
             QStringLiteral("t"));
}

// A server the script did not start, run by the system like a packaged one:
// its superuser logs in only over the system's socket directory. The script
// sets up the database there but leaves that superuser's password alone and
// says what giving it one would open.
void TestDbSetup::foreignServerIsNotGivenThePublishedPassword()
{
    if (!isRoot())
        QSKIP("needs root to act as the system's server administrator");
    const QString systemSockets = QStringLiteral("/var/run/postgresql");
    if (!QFileInfo(systemSockets).isDir())
        QSKIP("no system socket directory for PostgreSQL");
    const QString data = dir->filePath(QStringLiteral("system"));
    QVERIFY(QDir().mkpath(data));
    QVERIFY(chownTo(data, QStringLiteral("postgres")));
    Result result = run(tool(QStringLiteral("initdb")),
                        {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                         QStringLiteral("--auth-local=peer"), QStringLiteral("--auth-host=scram-sha-256"),
                         QStringLiteral("--no-sync")},
                        QStringLiteral("postgres"));
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    serversToStop << data;
    owner = QStringLiteral("postgres");
    result = asOwner(QStringLiteral("pg_ctl"),
                     {QStringLiteral("-D"), data, QStringLiteral("-l"), data + QStringLiteral("/server.log"),
                      QStringLiteral("-o"),
                      QStringLiteral("-p %1 -k %2 -c listen_addresses=localhost").arg(port).arg(systemSockets),
                      QStringLiteral("-w"), QStringLiteral("start")});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));

    result = script(QStringLiteral("db-setup.sh"));
    QCOMPARE(result.exitCode, 1);
    const int safe = result.err.indexOf(QStringLiteral("Stop that server"));
    const int unsafe = result.err.indexOf(QStringLiteral("Not recommended"));
    QVERIFY2(safe >= 0 && unsafe > safe, qPrintable(result.err));
    QVERIFY(result.err.indexOf(QStringLiteral("run programs as the system account"), unsafe) > unsafe);
    QVERIFY(!QFile::exists(base() + QStringLiteral("/pgdata")));

    const auto systemSql = [&](const QString &statement) {
        return sql(systemSockets, QStringLiteral("postgres"), QStringLiteral("quorvane"), statement, owner).out;
    };
    QCOMPARE(systemSql(QStringLiteral("select rolpassword is null from pg_authid where rolname = 'postgres'")),
             QStringLiteral("t"));
    QCOMPARE(systemSql(QStringLiteral("select to_regclass('invoice') is not null")), QStringLiteral("t"));
}

void TestDbSetup::attacksThroughTheLoginAreUndoneByARerun_data()
{
    QTest::addColumn<QString>("attack");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("storedBeforeRerun");
    QTest::newRow("password changed") << "alter role postgres password 'taken'" << false << false;
    QTest::newRow("read-only by default") << "alter role postgres set default_transaction_read_only = on" << false << true;
    QTest::newRow("statement timeout, no search path")
        << "alter role postgres in database quorvane set statement_timeout = 1; alter role postgres set search_path = ''"
        << false << true;
    QTest::newRow("key ahead of the sequence") << "insert into invoice overriding system value "
                                                  "values ('DCV', '0', 'V', 1, '2024-05-01 10:00:00', 2)" << true << true;
    QTest::newRow("sequence moved") << "select setval(pg_get_serial_sequence('invoice', 'id'), 1)" << true << true;
}

// Another local user attacks the program's login with the published password; a rerun mends it.
void TestDbSetup::attacksThroughTheLoginAreUndoneByARerun()
{
    QFETCH(QString, attack);
    QFETCH(bool, refused);
    QFETCH(bool, storedBeforeRerun);
    QVERIFY(script(QStringLiteral("db-setup.sh")).exitCode == 0);
    Database::Settings settings;
    settings.port = port;
    Database store(settings);
    QVERIFY(store.open() && store.insert({"DCV", "1.000", "V", "1", "2024-05-01 10:00:00"}));
    // Each attack then ends the program's session, so it logs in again.
    const Result result = sql(QStringLiteral("localhost"), QStringLiteral("postgres"), QStringLiteral("quorvane"),
                              attack + QStringLiteral("; select pg_terminate_backend(pid) from pg_stat_activity "
                                                      "where usename = 'postgres' and pid <> pg_backend_pid()"),
                              isRoot() ? QStringLiteral("nobody") : QString(), QLatin1String(password));
    QVERIFY2((result.exitCode != 0) == refused, qPrintable(result.err));
    // A refused reading stays queued until the rerun mends the login.
    QVERIFY(store.insert({"DCV", "2.000", "V", "1", "2024-05-01 10:00:01"}));
    QCOMPARE(store.waitStored(storedBeforeRerun ? 10000 : 1500), storedBeforeRerun);
    QVERIFY(script(QStringLiteral("db-setup.sh")).exitCode == 0);
    QVERIFY(store.insert({"DCV", "3.000", "V", "1", "2024-05-01 10:00:02"}));
    QVERIFY(store.waitStored(15000));
    QCOMPARE(programSql(QStringLiteral("select string_agg(datavaluestr, ' ' order by id) from invoice")).out,
             QStringLiteral("1.000 2.000 3.000"));
    QCOMPARE(adminSql(QStringLiteral("select count(*) from pg_db_role_setting")).out, QStringLiteral("0"));
}

void TestDbSetup::killedMoveIsFinishedOrUndoneByARerun_data()
{
    QTest::addColumn<QString>("step");
    for (const char *step : {"copying", "copied", "journal", "renamed-old", "renamed-new"})
        QTest::newRow(step) << QString::fromLatin1(step);
}

void TestDbSetup::killedMoveIsFinishedOrUndoneByARerun()
{
    QFETCH(QString, step);
    if (!isRoot())
        QSKIP("needs root");
    makeEarlierCluster(300);
    if (QTest::currentTestFailed())
        return;
    const QString readings = readingsText(earlierSuperuserSql(QLatin1String(readingsQuery)));
    QCOMPARE(script(QStringLiteral("db-setup.sh"), QStringLiteral("QUORVANE_DB_KILL_AT=") + step).exitCode, -1);

    const Result result = script(QStringLiteral("db-setup.sh"));
    QVERIFY2(result.exitCode == 0, qPrintable(result.out + result.err));
    const QStringList kept = QDir(base()).entryList({QStringLiteral("pgdata.*")}, QDir::Dirs);
    QCOMPARE(kept.size(), 1);
    QVERIFY2(result.out.contains(base() + QLatin1Char('/') + kept.first()), qPrintable(result.out));
    QCOMPARE(readingsText(programSql(QLatin1String(readingsQuery))), readings);
}

// With the owner's cluster stopped, another user's server with the published password takes its port.
void TestDbSetup::squattedPortIsRefused()
{
    QVERIFY(script(QStringLiteral("db-setup.sh")).exitCode == 0);
    QVERIFY(script(QStringLiteral("db-stop.sh")).exitCode == 0);
    owner = isRoot() ? QStringLiteral("nobody") : selfName();
    const QString foreign = dir->filePath(QStringLiteral("foreign"));
    startServer(foreign + QStringLiteral("/data"), foreign);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(QFile::setPermissions(foreign, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    Result result = script(QStringLiteral("db-setup.sh"));
    QCOMPARE(result.exitCode, 3);
    QVERIFY2(result.err.contains(foreign + QStringLiteral("/data")) && result.err.contains(QStringLiteral("run by: ") + owner),
             qPrintable(result.err));
    QCOMPARE(programSql(QStringLiteral("select count(*) from pg_database where datname = 'quorvane'"),
                        QStringLiteral("postgres")).out,
             QStringLiteral("0"));
    stopCluster(foreign + QStringLiteral("/data"));
    runAsPlainUser(false);
    result = script(QStringLiteral("db-setup.sh"));
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
}

QUORVANE_TEST(TestDbSetup);

#include "tst_dbsetup.moc"
