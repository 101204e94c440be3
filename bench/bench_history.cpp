// Times a history range from the query to table and plot shown, beside psql
// fetching the same rows, with this process's peak RSS. Usage:
// bench_history [ROWS...] (default 100000 1000000).
#include "bench/ProcessMemory.h"
#include "history/HistoryData.h"
#include "store/Database.h"
#include "store/RangeReader.h"
#include "tests/common/PgCluster.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QProgressDialog>
#include <QEvent>
#include <QEventLoop>
#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QScrollBar>
#include <QTableView>

#include <cstdio>
#include <functional>
#include <ctime>

namespace {
// Notes whether the window put up its progress dialog.
class ProgressWatch : public QObject
{
public:
    bool seen = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QProgressDialog *>(watched))
            seen = true;
        return false;
    }
};

const char *const TimeFormat = "yyyy-MM-dd hh:mm:ss";
const char *const FirstTime = "2024-05-01 00:00:00";

// CPU time of this process, to tell own work from waiting on a busy machine.
double cpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Rows as the sampling loop stores them: several readings per second, a
// wandering value, now and then an overload.
bool storeRows(PgCluster &cluster, int count)
{
    return cluster.execSql(QStringLiteral("truncate invoice"))
        && cluster.execSql(QStringLiteral("insert into invoice (funcstr, datavaluestr, "
                                          "unitstr, frastr, create_time)"
                                          " select 'DCV', case when i % 997 = 0 then '0L'"
                                          " else to_char(10 * sin(i / 5000.0) + (i % 7) * "
                                          "0.1, 'FM990.000') end,"
                                          " 'V', 1, timestamp '%1' + (i * 60 / 1000) * "
                                          "interval '1 second'"
                                          " from generate_series(0, %2) as i")
                               .arg(QLatin1String(FirstTime))
                               .arg(count - 1));
}

// The same rows fetched by the command-line client, output discarded: as
// aligned-free text rows (-At) or as COPY's text stream.
double psqlSeconds(PgCluster &cluster, const QString &statement)
{
    const Database::Settings settings = cluster.settings();
    QProcess psql;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGPASSWORD"), settings.password);
    psql.setProcessEnvironment(environment);
    psql.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    psql.start(cluster.psqlPath(),
        {QStringLiteral("-X"), QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-q"),
            QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
            QString::number(settings.port), QStringLiteral("-U"), settings.userName,
            QStringLiteral("-d"), settings.databaseName, QStringLiteral("-c"), statement});
    if (!psql.waitForFinished(120000) || psql.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

// Times the query plus setModel until table and plot are painted.
void measure(const char *label, const std::function<QSqlQueryModel *()> &query)
{
    resetPeak();
    const double before = ProcessMemory::peakMegabytes();
    HistoryData window;
    ProgressWatch watch;
    qApp->installEventFilter(&watch);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    QSqlQueryModel *model = query();
    const double queried = timer.nsecsElapsed() / 1e9;
    window.setModel(model);
    const double filled = timer.nsecsElapsed() / 1e9;
    window.show();
    QApplication::processEvents();
    // Paint table and plot completely, as a first expose does.
    window.grab();
    const double shown = timer.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuStart;
    qApp->removeEventFilter(&watch);

    std::printf("%8d rows, %s: query %.2f s, setModel %.2f s, shown after %.2f s (%.2f s CPU),"
                " progress dialog %s; peak RSS %.0f MB (%.0f MB before)\n",
        window.tableView()->model()->rowCount(), label, queried, filled - queried, shown, cpu,
        watch.seen ? "shown" : "not shown", ProcessMemory::peakMegabytes(), before);
    std::fflush(stdout);
}

// The range read alone: from the start of the query to the rows in hand.
void measureReader(PgCluster &cluster, const QDateTime &start, const QDateTime &stop)
{
    resetPeak();
    RangeReader reader;
    QEventLoop loop;
    QObject::connect(&reader, &RangeReader::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    reader.start(cluster.settings(), start, stop);
    loop.exec();
    const StoredRows rows = reader.takeRows();
    std::printf("%8d rows, range reader alone: %.2f s (%.2f s CPU); peak RSS %.0f MB\n", rows.size(),
        timer.nsecsElapsed() / 1e9, cpuSeconds() - cpuStart, ProcessMemory::peakMegabytes());
    std::fflush(stdout);
}

// The window's own range read, from "OK" until table and plot are painted.
void measureWindow(PgCluster &cluster, const QDateTime &start, const QDateTime &stop)
{
    resetPeak();
    const double before = ProcessMemory::peakMegabytes();
    HistoryData window;
    QEventLoop loop;
    QObject::connect(&window, &HistoryData::signal_queryFinished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    window.queryRange(cluster.settings(), start, stop);
    loop.exec();
    const double read = timer.nsecsElapsed() / 1e9;
    QApplication::processEvents();
    window.grab();
    std::printf("%8d rows, the window's range read: rows shown in table and plot after %.2f s, painted"
                " after %.2f s (%.2f s CPU); peak RSS %.0f MB (%.0f MB before)\n",
        window.tableView()->model()->rowCount(), read, timer.nsecsElapsed() / 1e9,
        cpuSeconds() - cpuStart, ProcessMemory::peakMegabytes(), before);
    // Jumps through the table as a dragged scroll bar does, each painted,
    // in a window of a desktop's size.
    window.resize(1600, 1000);
    QApplication::processEvents();
    QScrollBar *bar = window.tableView()->verticalScrollBar();
    double slowest = 0;
    for (int step = 0; step <= 20; ++step) {
        QElapsedTimer jump;
        jump.start();
        bar->setValue(int(qint64(bar->maximum()) * ((step * 7) % 21) / 20));
        window.tableView()->viewport()->grab();
        slowest = qMax(slowest, jump.nsecsElapsed() / 1e6);
    }
    std::printf("%8s  table scrolled in 21 jumps, slowest %.1f ms (%d x %d pixels)\n", "", slowest,
        window.tableView()->viewport()->width(), window.tableView()->viewport()->height());
    std::fflush(stdout);
}

void benchRows(PgCluster &cluster, Database &database, int count)
{
    if (!storeRows(cluster, count)) {
        std::printf("storing %d rows failed: %s\n", count, qPrintable(cluster.errorString()));
        return;
    }
    cluster.execSql(QStringLiteral("vacuum analyze invoice"));
    const QDateTime start
        = QDateTime::fromString(QLatin1String(FirstTime), QLatin1String(TimeFormat));
    const QDateTime stop = start.addDays(7);

    std::printf("%8d rows, psql fetching them: %.2f s as rows (-At), %.2f s as COPY\n", count,
        psqlSeconds(cluster, Database::rangeSelect(start, stop, true)),
        psqlSeconds(cluster, QStringLiteral("copy (%1) to stdout").arg(Database::rangeSelect(start, stop, true))));
    measureReader(cluster, start, stop);
    measureWindow(cluster, start, stop);
    // Through Qt's driver the whole result and its copy are held at once:
    // beyond a million rows that takes gigabytes.
    if (count > 1000000)
        return;
    measure("the store's range query", [&] { return database.query(start, stop); });
    // Times as text: the path a result other than the driver's timestamps takes.
    QSqlQueryModel textTimes;
    measure("times as text", [&] {
        textTimes.setQuery(QStringLiteral("select funcstr, datavaluestr, unitstr, frastr,"
                                          " create_time::text as create_time from invoice"
                                          " order by create_time, id"),
            QSqlDatabase::database());
        return &textTimes;
    });
}
}  // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    PgCluster cluster;
    if (!cluster.start()) {
        std::printf("no test server: %s\n", qPrintable(cluster.errorString()));
        return 1;
    }
    Database::setDefaultSettings(cluster.settings());
    Database database;
    if (!database.open()) {
        std::printf("cannot open the store\n");
        return 1;
    }
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts << QByteArray(argv[i]).toInt();
    if (counts.isEmpty())
        counts = {100000, 1000000};
    for (int count : counts)
        benchRows(cluster, database, count);
    return 0;
}
