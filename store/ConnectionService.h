#ifndef CONNECTIONSERVICE_H
#define CONNECTIONSERVICE_H

#include "store/Database.h"

#include <QByteArrayList>
#include <QProcessEnvironment>
#include <QString>

#include <vector>

class QSqlDatabase;

// Where readings go: the fixed local server, or the server that section
// "quorvane" of the standard libpq service file names, so a lab can gather
// every bench's readings on its own server with no setting in the program.
// Also the one place that turns settings into a connection, for Qt's driver
// and for libpq alike, with the session settings the program relies on.
class ConnectionService
{
public:
    static const char serviceName[];

    // Keyword and value lists for PQconnectdbParams and its kin.
    class Keywords
    {
    public:
        // Null-terminated; valid while this object lives.
        std::vector<const char *> names() const;
        std::vector<const char *> values() const;

    private:
        friend class ConnectionService;
        void add(const char *name, const QByteArray &value);
        QByteArrayList keys;
        QByteArrayList texts;
    };

    // The file whose section "quorvane" libpq would read: PGSERVICEFILE or
    // ~/.pg_service.conf, else the system's pg_service.conf; empty when none
    // has the section.
    static QString serviceFile(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    // The service's settings when a file has the section, else `fixed`.
    static Database::Settings resolve(const Database::Settings &fixed,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    static void apply(const Database::Settings &settings, QSqlDatabase &connection);
    static Keywords keywords(const Database::Settings &settings, const char *applicationName);
    // Who logs in where, as user@host:port/database.
    static QString describe(const Database::Settings &settings);

private:
    static QString sessionOptions();
};

#endif
