// Exports 1,000,000 history rows (or the count given), held by the history
// window's table model, to text and, up to a sheet's row limit, to .xlsx, and compares the workbook with a
// bare libxlsxwriter program writing the same cells. Each export runs in its
// own process, so its peak RSS is its own; the RSS with the filled table
// before the export is shown beside it. Usage: bench_export [ROWS]

#include "bench/BenchRows.h"
#include "history/HistoryTableModel.h"
#include "history/ModelRows.h"
#include "history/TextExport.h"
#include "history/XlsxWorkbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>
#include <utility>

namespace {
// The history viewer's own table model, filled with the benchmark's rows.
void fill(HistoryTableModel *model, int count)
{
    StoredRows rows;
    rows.reserve(count);
    char time[BenchTimeSize];
    char value[BenchValueSize];
    const QString unit = QStringLiteral("V");
    const QString function = QStringLiteral("DCV");
    for (int row = 0; row < count; ++row) {
        benchRow(row, time, value);
        rows.append(StoredRows::timestampKey(time, int(qstrlen(time))), QString::fromLatin1(value), unit,
                    function);
    }
    model->setRows(std::move(rows));
}

double cpuSeconds(const rusage &usage)
{
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One export in this process; prints "wall-seconds cpu-seconds peak-RSS-kB
// model-RSS-kB". CPU time is the fairer comparison on a loaded machine.
int runChild(const QString &kind, int rows, const QString &path)
{
    HistoryTableModel model({QStringLiteral("Time"), QStringLiteral("Data"), QStringLiteral("Unit"),
                             QStringLiteral("Func")});
    fill(&model, rows);
    rusage before;
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer timer;
    timer.start();
    bool written = false;
    const ModelRows table(&model);
    if (kind == QLatin1String("text")) {
        TextExport exporter(&table);
        written = exporter.write(path);
    } else {
        XlsxWorkbook workbook(&table, {160, 80, 60, 60});
        written = workbook.write(path, QStringLiteral("Data Record"));
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!written)
        return 1;
    rusage after;
    getrusage(RUSAGE_SELF, &after);
    QTextStream(stdout) << QString::number(seconds, 'f', 3) << ' '
                        << QString::number(cpuSeconds(after) - cpuSeconds(before), 'f', 3) << ' '
                        << after.ru_maxrss << ' ' << before.ru_maxrss << '\n';
    return 0;
}

bool measure(const QString &program, const QStringList &arguments, double *seconds, double *cpu, long *rssKb,
             long *modelRssKb)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return false;
    const QStringList fields = QString::fromLatin1(process.readAllStandardOutput()).split(' ');
    if (fields.size() < 3)
        return false;
    *modelRssKb = fields.size() > 3 ? fields.at(3).trimmed().toLong() : 0;
    *seconds = fields.at(0).toDouble();
    *cpu = fields.at(1).toDouble();
    *rssKb = fields.at(2).trimmed().toLong();
    return true;
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 5 && arguments.at(1) == QLatin1String("--child"))
        return runChild(arguments.at(2), arguments.at(3).toInt(), arguments.at(4));

    const int rows = arguments.size() > 1 ? arguments.at(1).toInt() : 1000000;
    QTemporaryDir dir;
    const QString self = app.applicationFilePath();
    const QString bare = QDir(app.applicationDirPath()).filePath(QStringLiteral("bench_xlsx_bare"));
    QTextStream out(stdout);
    out << "rows: " << rows << '\n';

    struct Run
    {
        const char *name;
        QString program;
        QStringList arguments;
        QString file;
    };
    const QString textFile = dir.filePath(QStringLiteral("export.txt"));
    const QString xlsxFile = dir.filePath(QStringLiteral("export.xlsx"));
    const QString bareFile = dir.filePath(QStringLiteral("bare.xlsx"));
    QVector<Run> runs{
        {"text export", self, {"--child", "text", QString::number(rows), textFile}, textFile},
    };
    // A sheet holds 1,048,576 rows, title and header included: past that the
    // workbook refuses, as it should.
    if (rows <= 1048574) {
        runs.append({"xlsx export", self, {"--child", "xlsx", QString::number(rows), xlsxFile}, xlsxFile});
        runs.append({"bare libxlsxwriter", bare, {QString::number(rows), bareFile}, bareFile});
    }
    double xlsxSeconds = 0, xlsxCpu = 0;
    double bareSeconds = 0, bareCpu = 0;
    for (const Run &run : runs) {
        double seconds = 0;
        double cpu = 0;
        long rss = 0;
        long modelRss = 0;
        if (!measure(run.program, run.arguments, &seconds, &cpu, &rss, &modelRss)) {
            out << run.name << ": failed\n";
            return 1;
        }
        out << qSetFieldWidth(20) << Qt::left << run.name << qSetFieldWidth(0) << QString::number(seconds, 'f', 3)
            << " s wall  " << QString::number(cpu, 'f', 3) << " s CPU   peak RSS " << QString::number(rss / 1024.0, 'f', 1) << " MB   file "
            << QString::number(QFileInfo(run.file).size() / 1048576.0, 'f', 1) << " MB";
        if (modelRss > 0)
            out << "   (before the export, with the table: " << QString::number(modelRss / 1024.0, 'f', 1) << " MB)";
        out << '\n';
        if (run.file == xlsxFile) {
            xlsxSeconds = seconds;
            xlsxCpu = cpu;
        }
        if (run.file == bareFile) {
            bareSeconds = seconds;
            bareCpu = cpu;
        }
        out.flush();
    }
    if (bareSeconds <= 0)
        return 0;
    out << "xlsx export / bare: " << QString::number(xlsxSeconds / bareSeconds, 'f', 2) << " wall, "
        << QString::number(xlsxCpu / bareCpu, 'f', 2) << " CPU\n";
    return 0;
}
