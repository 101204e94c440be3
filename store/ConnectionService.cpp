#include "store/ConnectionService.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSqlDatabase>

const char ConnectionService::serviceName[] = "quorvane";

namespace {
// Where Debian's libpq looks for the system-wide service file.
const char systemConfigDir[] = "/etc/postgresql-common";

// The key=value lines of one section of a service file, read the way libpq
// reads them; false when the file has no such section.
bool readSection(const QString &path, const QString &name, QMap<QString, QString> *values)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool found = false;
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            // libpq takes the first section of the name it finds.
            if (found)
                break;
            inSection = line == QLatin1Char('[') + name + QLatin1Char(']');
            found = inSection;
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (inSection && equals > 0)
            values->insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return found;
}

QStringList candidateFiles(const QProcessEnvironment &environment)
{
    QString user = environment.value(QStringLiteral("PGSERVICEFILE"));
    if (user.isEmpty())
        user = QDir(environment.value(QStringLiteral("HOME"), QDir::homePath())).filePath(QStringLiteral(".pg_service.conf"));
    QString system = environment.value(QStringLiteral("PGSYSCONFDIR"));
    if (system.isEmpty())
        system = QLatin1String(systemConfigDir);
    return {user, QDir(system).filePath(QStringLiteral("pg_service.conf"))};
}
}

QString ConnectionService::serviceFile(const QProcessEnvironment &environment)
{
    QMap<QString, QString> values;
    for (const QString &file : candidateFiles(environment)) {
        if (readSection(file, QLatin1String(serviceName), &values))
            return file;
    }
    return QString();
}

Database::Settings ConnectionService::resolve(const Database::Settings &fixed, const QProcessEnvironment &environment)
{
    const QString file = serviceFile(environment);
    QMap<QString, QString> values;
    if (file.isEmpty() || !readSection(file, QLatin1String(serviceName), &values))
        return fixed;
    // libpq reads the section itself when connecting (password, passfile,
    // TLS and all); these copies only say where readings go.
    Database::Settings settings;
    settings.service = QLatin1String(serviceName);
    settings.host = values.value(QStringLiteral("host"), values.value(QStringLiteral("hostaddr")));
    settings.port = values.value(QStringLiteral("port"), QStringLiteral("5432")).toInt();
    settings.userName = values.value(QStringLiteral("user"));
    settings.databaseName = values.value(QStringLiteral("dbname"), settings.userName);
    settings.password.clear();
    return settings;
}

// Startup options beat every ALTER ROLE ... SET, so a login that changed its
// own defaults (read-only transactions, a tiny statement timeout, an empty
// search path) cannot make the program's statements fail unnoticed. All of
// them exist since PostgreSQL 9.6.
QString ConnectionService::sessionOptions()
{
    return QStringLiteral("-c default_transaction_read_only=off -c statement_timeout=0 -c lock_timeout=0"
                          " -c idle_in_transaction_session_timeout=0 -c search_path=public -c DateStyle=ISO");
}

void ConnectionService::apply(const Database::Settings &settings, QSqlDatabase &connection)
{
    // A host that never answers must not hold the window for long.
    QStringList options{QStringLiteral("connect_timeout=2"),
                        QStringLiteral("options='%1'").arg(sessionOptions())};
    if (settings.service.isEmpty()) {
        connection.setHostName(settings.host);
        connection.setPort(settings.port);
        connection.setDatabaseName(settings.databaseName);
        connection.setUserName(settings.userName);
        connection.setPassword(settings.password);
    } else {
        // Left empty, Qt's driver passes none of them, and libpq takes the
        // service's own.
        options << QStringLiteral("service=") + settings.service;
    }
    connection.setConnectOptions(options.join(QLatin1Char(';')));
}

void ConnectionService::Keywords::add(const char *name, const QByteArray &value)
{
    keys << QByteArray(name);
    texts << value;
}

std::vector<const char *> ConnectionService::Keywords::names() const
{
    std::vector<const char *> list;
    for (const QByteArray &key : keys)
        list.push_back(key.constData());
    list.push_back(nullptr);
    return list;
}

std::vector<const char *> ConnectionService::Keywords::values() const
{
    std::vector<const char *> list;
    for (const QByteArray &text : texts)
        list.push_back(text.constData());
    list.push_back(nullptr);
    return list;
}

ConnectionService::Keywords ConnectionService::keywords(const Database::Settings &settings, const char *applicationName)
{
    Keywords keywords;
    if (settings.service.isEmpty()) {
        keywords.add("host", settings.host.toUtf8());
        keywords.add("port", QByteArray::number(settings.port));
        keywords.add("dbname", settings.databaseName.toUtf8());
        keywords.add("user", settings.userName.toUtf8());
        keywords.add("password", settings.password.toUtf8());
    } else {
        keywords.add("service", settings.service.toUtf8());
    }
    keywords.add("client_encoding", "UTF8");
    keywords.add("options", sessionOptions().toUtf8());
    keywords.add("application_name", applicationName);
    return keywords;
}

QString ConnectionService::describe(const Database::Settings &settings)
{
    // A socket directory is not a host name; libpq's URIs put it apart.
    const QString host = settings.host.startsWith(QLatin1Char('/')) ? QStringLiteral("[%1]").arg(settings.host)
        : settings.host.isEmpty()                                   ? QStringLiteral("localhost")
                                                                    : settings.host;
    return QStringLiteral("%1@%2:%3/%4").arg(settings.userName, host).arg(settings.port).arg(settings.databaseName);
}
