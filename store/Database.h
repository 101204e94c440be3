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
    // The settings this store connects with.
    Settings settings() const;

    // The select of every row between start and stop, both included, in the
    // order they were stored (the key column), so the hour a clock change
    // repeats keeps its two passes apart; in time order for a table without
    // that column.
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
    std::unique_ptr<QSqlQueryModel> model;
    bool opened = false;

    bool insertPrepared = false;
    std::deque<QStringList> pending;
    bool broken = false;
    bool orderByKey = true;
    QElapsedTimer sinceReconnectAttempt;
};

#endif
