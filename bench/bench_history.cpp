// Times a history range in the window, from "OK" to the first rows shown and
// to the whole range shown, beside psql's own text COPY of the same rows in
// the same run; each size is read by a process of its own, so its peak RSS
// is the window's alone. Usage: bench_history [ROWS...] (default 100000 1000000).
#include "bench/ProcessMemory.h"
#include "history/HistoryData.h"
#include "meter/StoredReading.h"
#include "plot/Wave.h"
#include "store/Database.h"
#include "tests/common/PgCluster.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScrollBar>
#include <QTableView>
#include <qwt_scale_div.h>

#include <cstdio>
#include <ctime>

namespace {
const char *const FirstTime = "2024-05-01 00:00:00";

QDateTime firstTime()
{
    return QDateTime::fromString(QLatin1String(FirstTime), QLatin1String(StoredReading::timeFormat));
}

// CPU time of this process, to tell own work from waiting on a busy machine.
double cpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Rows as the sampling loop stores them: several readings per second, a
// wandering value, now and then an overload. Stored a million at a time,
// each statement within the test server's time limit.
bool storeRows(PgCluster &cluster, int count)
{
    if (!cluster.execSql(QStringLiteral("truncate invoice")))
        return false;
    const int step = 1000000;
    for (int first = 0; first < count; first += step) {
        if (!cluster.execSql(QStringLiteral("insert into invoice (%1)"
                                            " select 'DCV', case when i % 997 = 0 then '0L'"
                                            " else to_char(10 * sin(i / 5000.0) + (i % 7) * 0.1, 'FM990.000') end,"
                                            " 'V', 1, timestamp '%2' + (i * 60 / 1000) * interval '1 second'"
                                            " from generate_series(%3, %4) as i")
                                 .arg(StoredReading::columns.join(QLatin1String(", ")), QLatin1String(FirstTime))
                                 .arg(first)
                                 .arg(qMin(count, first + step) - 1)))
            return false;
    }
    return true;
}

// psql's text COPY of the window's select, output discarded.
double psqlCopySeconds(PgCluster &cluster, const QDateTime &start, const QDateTime &stop)
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
        {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
            QStringLiteral("-p"), QString::number(settings.port), QStringLiteral("-U"), settings.userName,
            QStringLiteral("-d"), settings.databaseName, QStringLiteral("-c"),
            QStringLiteral("copy (%1) to stdout").arg(Database::rangeSelect(start, stop, true))});
    if (!psql.waitForFinished(300000) || psql.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

double threadCpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Slowest of a few pans and zooms of the plot, each redrawn in full, and
// the most CPU time one took.
double slowestPlotMs(Wave *wave, double *mostCpuMs)
{
    const QwtInterval all = wave->axisInterval(QwtPlot::xBottom);
    const double width = all.width();
    double slowest = 0;
    for (double part : {1.0, 0.5, 0.01, 0.0001}) {
        for (double at : {0.0, 0.37, 0.9}) {
            QElapsedTimer timer;
            timer.start();
            const double cpu = threadCpuSeconds();
            wave->setAxisScale(QwtPlot::xBottom, all.minValue() + at * width,
                all.minValue() + at * width + part * width);
            wave->replot();
            wave->canvas()->grab();
            slowest = qMax(slowest, timer.nsecsElapsed() / 1e6);
            *mostCpuMs = qMax(*mostCpuMs, (threadCpuSeconds() - cpu) * 1e3);
        }
    }
    return slowest;
}

// In a process of its own: the window's range read, from "OK" until the
// first rows are painted and until the whole range is painted.
int measureWindow(const Database::Settings &settings, int expected)
{
    const double before = ProcessMemory::peakMegabytes();
    // At the size the program gives it.
    HistoryData window;
    QAbstractItemModel *model = window.tableView()->model();
    bool finished = false;
    QObject::connect(&window, &HistoryData::signal_queryFinished, [&finished] { finished = true; });
    const QDateTime start = firstTime();
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    window.queryRange(settings, start, start.addDays(7));
    while (model->rowCount() == 0 && !finished)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.repaint();
    const double firstView = timer.nsecsElapsed() / 1e9;
    const int firstRows = model->rowCount();
    while (!finished)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.repaint();
    const double complete = timer.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuStart;
    const double peak = ProcessMemory::peakMegabytes();
    // Pans, zooms and jumps in a window of a desktop's size.
    window.resize(1600, 1000);
    QApplication::processEvents();
    double plotCpuMs = 0;
    const double plotMs = slowestPlotMs(window.plot(), &plotCpuMs);
    // Jumps through the table as a dragged scroll bar does, each painted.
    QScrollBar *bar = window.tableView()->verticalScrollBar();
    double slowestJump = 0;
    for (int step = 0; step <= 20; ++step) {
        QElapsedTimer jump;
        jump.start();
        bar->setValue(int(qint64(bar->maximum()) * ((step * 7) % 21) / 20));
        window.tableView()->viewport()->grab();
        slowestJump = qMax(slowestJump, jump.nsecsElapsed() / 1e6);
    }
    std::printf("first view %.3f s (%d rows), complete %.2f s (%.2f s CPU), %d rows%s; peak RSS %.0f MB"
                " (%.0f MB before the read); pan/zoom slowest %.1f ms (at most %.1f ms CPU); table jumps slowest"
                " %.1f ms\n",
        firstView, firstRows, complete, cpu, model->rowCount(),
        model->rowCount() == expected ? "" : " (rows missing!)", peak, before, plotMs, plotCpuMs, slowestJump);
    std::fflush(stdout);
    return model->rowCount() == expected ? 0 : 1;
}

void benchRows(PgCluster &cluster, const QString &self, int count)
{
    if (!storeRows(cluster, count) || !cluster.execSql(QStringLiteral("vacuum analyze invoice"))) {
        std::printf("storing %d rows failed: %s\n", count, qPrintable(cluster.errorString()));
        return;
    }
    const QDateTime start = firstTime();
    const Database::Settings settings = cluster.settings();
    const double copyBefore = psqlCopySeconds(cluster, start, start.addDays(7));
    QProcess window;
    window.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList command = {self, QStringLiteral("--window"), QString::number(count),
        QString::number(settings.port), settings.userName, settings.password, settings.databaseName};
    // A profiler to run the window's process under, e.g. "heaptrack".
    const QString wrapper = qEnvironmentVariable("BENCH_HISTORY_WRAPPER");
    if (!wrapper.isEmpty())
        command = wrapper.split(QLatin1Char(' '), Qt::SkipEmptyParts) + command;
    window.start(command.takeFirst(), command);
    window.waitForFinished(-1);
    const QByteArray report = window.readAllStandardOutput().trimmed();
    const double copyAfter = psqlCopySeconds(cluster, start, start.addDays(7));
    const int at = report.indexOf("complete ");
    const double complete = at < 0 ? 0 : report.mid(at + 9).split(' ').first().toDouble();
    std::printf("%8d rows: %s\n%8s  psql COPY %.2f s before, %.2f s after: complete / COPY = %.2f\n", count,
        report.constData(), "", copyBefore, copyAfter, complete * 2 / (copyBefore + copyAfter));
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 7 && arguments.at(1) == QLatin1String("--window")) {
        Database::Settings settings;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = arguments.at(3).toInt();
        settings.userName = arguments.at(4);
        settings.password = arguments.at(5);
        settings.databaseName = arguments.at(6);
        return measureWindow(settings, arguments.at(2).toInt());
    }

    PgCluster cluster;
    if (!cluster.start()) {
        std::printf("no test server: %s\n", qPrintable(cluster.errorString()));
        return 1;
    }
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts << QByteArray(argv[i]).toInt();
    if (counts.isEmpty())
        counts = {100000, 1000000};
    for (int count : counts)
        benchRows(cluster, app.applicationFilePath(), count);
    return 0;
}
