#ifndef DATABASE_H
#define DATABASE_H

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

class QDateTime;
class QSqlQueryModel;

// The reading store: one row of table "invoice" per sampled reading, and the
// rows of a time range as a query model. Used from the GUI thread only.
class Database
{
public:
    struct Settings
    {
        QString host = "localhost";
        int port = 5432;
        QString databaseName = "quorvane";
        QString userName = "postgres";
        QString password = "r735519";
        // A libpq service that replaces the values above when set; they
        // then only say where readings go (ConnectionService).
        QString service;
    };

    // Records held while the server is unreachable; more are refused.
    static const int maxPending = 100000;
    // While the server is away it is asked again at most this often, so a
    // sample then costs the window next to nothing.
    static const int reconnectIntervalMs = 1000;

    Database();
    explicit Database(const Settings &settings);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    static void setDefaultSettings(const Settings &settings);
    static Settings defaultSettings();
    // The settings this store connects with: the fixed ones, or the libpq
    // service "quorvane" when a service file has it.
    Settings settings() const;

    // The select of every row between start and stop, both included, in time
    // order, then in insertion order when the table has the key column.
    static QString rangeSelect(const QDateTime &start, const QDateTime &stop, bool orderByKey);
    // PostgreSQL's error code for a column the table does not have.
    static const char undefinedColumn[];

    bool open();
    bool isOpen() const;
    // Null when the server cannot be reached.
    QSqlQueryModel *query(const QDateTime &start, const QDateTime &stop);
    bool insert(const QStringList &values);

    // Records accepted while the connection was broken and not yet written.
    int pendingCount() const;
    // True while readings reach the table: open, connected, nothing held.
    bool isStoring() const;
    // Reconnects when due and writes held records; returns isStoring().
    bool catchUp();

private:
    bool connectionBroken();
    bool reconnect();
    bool reconnectIfDue();
    bool prepareSession();
    bool execInsert(const QStringList &values);
    bool flushPending();

    QSqlDatabase connection;
    Settings connectionSettings;
    std::unique_ptr<QSqlQueryModel> model;
    bool opened = false;

    bool insertPrepared = false;
    std::deque<QStringList> pending;
    bool broken = false;
    bool orderByKey = true;
    QElapsedTimer sinceReconnectAttempt;
};

#endif
