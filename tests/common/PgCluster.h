#ifndef PGCLUSTER_H
#define PGCLUSTER_H

#include "store/Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QProcessEnvironment;

// A throwaway PostgreSQL server for tests and benchmarks: a fresh cluster in
// a temporary directory on a free local port, password authentication,
// database "quorvane" with the project's schema loaded. Runs the server as
// the "postgres" system user when the caller is root. Stopped and removed
// when destroyed.
class PgCluster
{
public:
    PgCluster();
    ~PgCluster();
    PgCluster(const PgCluster &) = delete;
    PgCluster &operator=(const PgCluster &) = delete;

    bool start();
    void stop();
    bool restart();

    int port() const;
    Database::Settings settings() const;
    bool execSql(const QString &sql, QString *output = nullptr);
    // Every row of "invoice" in insertion order, each as the five texts of
    // the record it was stored from; empty when the query fails.
    QList<QStringList> storedRecords();
    QString psqlPath() const;
    // Another session takes "invoice" in a lock that makes every query of it
    // wait, until unlockInvoice().
    bool lockInvoice();
    void unlockInvoice();
    // Sessions of the server with this application name; with a wait event
    // type, only those waiting on such an event (for example "Lock").
    int sessions(const QString &applicationName, const QString &waitEventType = QString());
    QString errorString() const;

    // A local TCP port nobody listens on right now.
    static int freePort();
    // Where the newest installed server version keeps its programs.
    static QString findBinDir();

private:
    QString tool(const QString &name) const;
    bool run(const QString &program, const QStringList &arguments, bool asServerUser,
             QString *output = nullptr);
    QProcessEnvironment clientEnvironment() const;
    bool startServer();

    QTemporaryDir dir;
    QString binDir;
    int serverPort = 0;
    bool running = false;
    QString error;
};

#endif
