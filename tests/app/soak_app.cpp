// Soak run of the whole program: the meter simulator at full rate with noise
// on a pseudo-terminal, the main window offscreen sampling it into a
// throwaway PostgreSQL for the given number of minutes. Prints the samples
// taken, the rows stored and missing, and the resident memory over time.
// Exit status 0 only when every sample was stored exactly once and, in a run
// longer than the warm-up, the resident memory grew by at most 2 MiB after it.
//
//   soak_app [MINUTES]      (default 10; scripts/soak.sh builds and runs it)

#include "app/MainWindow.h"
#include "store/Database.h"
#include "tests/app/MainWindowProbe.h"
#include "tests/app/SimulatorProcess.h"
#include "tests/common/PgCluster.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>

namespace {
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Caches and the allocator settle in the first minutes; after that the
// resident memory must stay flat.
const int warmUpMs = 5 * 60000;
const long maxGrowthKiB = 2048;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Q_INIT_RESOURCE(resources);

    bool ok = true;
    const double minutes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble(&ok) : 10.0;
    if (!ok || minutes <= 0) {
        QTextStream(stderr) << "usage: soak_app [MINUTES]\n";
        return 2;
    }

    PgCluster cluster;
    if (!cluster.start()) {
        QTextStream(stderr) << "PostgreSQL: " << cluster.errorString() << '\n';
        return 1;
    }
    Database::setDefaultSettings(cluster.settings());

    SimulatorProcess simulator;
    const QStringList simulatorArguments{"--scenario", "tour", "--rate", "137", "--noise", "0.02"};
    if (!simulator.start(simulatorArguments)) {
        QTextStream(stderr) << "simulator: " << simulator.errorString() << '\n';
        return 1;
    }

    MainWindow window;
    window.resize(1536, 864);
    window.show();
    MainWindowProbe probe(&window);
    long samples = 0;
    QObject::connect(probe.liveTable()->model(), &QAbstractItemModel::rowsInserted, &window, [&samples] { ++samples; });

    out() << "soak: " << minutes << " min, quorvane-metersim " << simulatorArguments.join(' ')
          << " on " << simulator.devicePath() << Qt::endl;
    probe.choosePort(simulator.devicePath());
    probe.startButton()->click();
    const long rssStart = residentKiB();
    QElapsedTimer clock;
    clock.start();
    out() << "start: RSS " << rssStart << " KiB" << Qt::endl;

    long rssWarm = -1;
    long rssPeakAfterWarmUp = -1;
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, &window, [&] {
        const long rss = residentKiB();
        if (clock.elapsed() >= warmUpMs) {
            if (rssWarm < 0)
                rssWarm = rss;
            rssPeakAfterWarmUp = qMax(rssPeakAfterWarmUp, rss);
        }
        out() << int(clock.elapsed() / 1000) << " s: " << samples << " samples, RSS " << rss << " KiB" << Qt::endl;
    });
    // Precise, so the minute marks fall on or after the warm-up's end.
    progress.setTimerType(Qt::PreciseTimer);
    progress.start(60000);

    QTimer::singleShot(int(minutes * 60000), &window, [&] {
        progress.stop();
        probe.stopButton()->click();
        app.quit();
    });
    app.exec();

    const long rssEnd = residentKiB();
    simulator.stop();

    QString count;
    const bool counted = cluster.execSql(QStringLiteral("select count(*) from invoice"), &count);
    const long stored = count.trimmed().toLong();
    const long missing = samples > stored ? samples - stored : 0;
    const long extra = stored > samples ? stored - samples : 0;

    out() << "samples taken: " << samples << Qt::endl
          << "rows stored:   " << (counted ? QString::number(stored) : QStringLiteral("(query failed)")) << Qt::endl
          << "rows missing:  " << missing << Qt::endl
          << "rows extra:    " << extra << Qt::endl
          << "RSS start:     " << rssStart << " KiB" << Qt::endl
          << "RSS end:       " << rssEnd << " KiB" << Qt::endl;
    bool flat = true;
    if (rssWarm >= 0) {
        const long growth = qMax(rssPeakAfterWarmUp, rssEnd) - rssWarm;
        flat = growth <= maxGrowthKiB;
        out() << "RSS after " << warmUpMs / 60000 << " min: " << rssWarm << " KiB, then grew by " << growth
              << " KiB (at most " << maxGrowthKiB << ")" << Qt::endl;
    }
    return counted && samples > 0 && missing == 0 && extra == 0 && flat ? 0 : 1;
}
