#ifndef DATABASE_H
#define DATABASE_H

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>

class QDateTime;
class QSqlQueryModel;
class ReadingSpool;
class StoreWriter;
struct pg_conn;

// The reading store: one row of table "invoice" per sampled reading, and the
// rows of a time range as a query model. A reading handed to insert() is
// kept in a spool file until the server has it; a writer of its own moves
// it there, so the caller never waits on the server. Used from the GUI
// thread.
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

    // The select of every row between start and stop, both included, in the
    // order they were stored (the key column), so the hour a clock change
    // repeats keeps its two passes apart; in time order for a table without
    // that column.
    static QString rangeSelect(const QDateTime &start, const QDateTime &stop, bool orderByKey);
    // PostgreSQL's error code for a column the table does not have.
    static const char undefinedColumn[];

    // Where the readings not yet stored are kept.
    static QString spoolDirectory();
    // The libpq connection under a Qt one; null when it is not open.
    static pg_conn *handleOf(const QSqlDatabase &connection);

    // Opens the spool, sends what an earlier run left there, and opens the
    // connection for query(). True when the server answered.
    bool open();
    // True once the server has answered, at open() or any time later.
    bool isOpen() const;
    // Null when the server cannot be reached.
    QSqlQueryModel *query(const QDateTime &start, const QDateTime &stop);
    // Keeps the reading for the table; false only for a record that is not
    // the five texts. Never waits on the server.
    bool insert(const QStringList &values);

    // Readings kept and not yet stored.
    int pendingCount() const;
    // Waits at most this long for the kept readings to be stored; true when
    // none is left.
    bool waitStored(int timeoutMs);
    // Why readings are not stored now, in one line; empty while they are.
    QString failure() const;
    // Why the server cannot be reached; empty when it can.
    QString connectFailure() const;
    // Why the spool cannot be written; empty while it can.
    QString spoolFailure() const;
    // Readings the server refused for their content in this run, kept in
    // the set-aside file beside the spool; readings that could be kept
    // nowhere.
    int setAsideCount() const;
    int lostCount() const;

private:
    bool connectionBroken() const;

    QSqlDatabase connection;
    Settings connectionSettings;
    std::unique_ptr<QSqlQueryModel> model;
    bool opened = false;
    bool orderByKey = true;
    std::unique_ptr<ReadingSpool> spool;
    std::unique_ptr<StoreWriter> writer;
};

#endif
