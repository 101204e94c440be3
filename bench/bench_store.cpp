// Times the reading store against a throwaway local server: single inserts
// as the sampling tick makes them (what the tick pays, and how soon the
// writer has them all in the table), the spool's own cost per reading, and
// the range query plus reading every
// field of 100,000 and 1,000,000 rows, beside psql fetching the same rows.
#include "store/Database.h"
#include "store/ReadingSpool.h"
#include "tests/common/PgCluster.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <cstdio>

namespace {
const QDateTime base(QDate(2024, 5, 1), QTime(0, 0, 0));
const int runs = 3;

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double percentile(QVector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values.at(std::min(values.size() - 1, int(values.size() * fraction)));
}

// The fastest way found to read all rows: walk the model's own result by
// column index. Returns a sum over every field so nothing is skipped.
qint64 readByQuery(QSqlQueryModel *model)
{
    qint64 sum = 0;
    QSqlQuery rows = model->query();
    if (!rows.first())
        return sum;
    do {
        sum += rows.value(0).toString().size() + rows.value(1).toString().size()
               + rows.value(2).toString().size() + rows.value(3).toInt()
               + rows.value(4).toDateTime().time().second();
    } while (rows.next());
    return sum;
}

// What a view does: one data() call per cell.
qint64 readByModel(QSqlQueryModel *model)
{
    qint64 sum = 0;
    const int count = model->rowCount();
    for (int row = 0; row < count; ++row) {
        sum += model->data(model->index(row, 0)).toString().size()
               + model->data(model->index(row, 1)).toString().size()
               + model->data(model->index(row, 2)).toString().size()
               + model->data(model->index(row, 3)).toInt()
               + model->data(model->index(row, 4)).toDateTime().time().second();
    }
    return sum;
}

QStringList record(int i, int secondsBefore)
{
    return {QStringLiteral("DCV"), QString::number(i * 0.001, 'f', 3), QStringLiteral("V"), QStringLiteral("1"),
            base.addSecs(-1 - secondsBefore).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))};
}

double timePsql(PgCluster &cluster, const QString &statement)
{
    QProcess psql;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGPASSWORD"), cluster.settings().password);
    psql.setProcessEnvironment(environment);
    psql.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    psql.start(cluster.psqlPath(), {QStringLiteral("-X"), QStringLiteral("-A"), QStringLiteral("-t"),
                                    QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                    QString::number(cluster.port()), QStringLiteral("-U"),
                                    QStringLiteral("postgres"), QStringLiteral("-d"),
                                    QStringLiteral("quorvane"), QStringLiteral("-c"), statement});
    if (!psql.waitForFinished(600000) || psql.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PgCluster cluster;
    if (!cluster.start()) {
        std::fprintf(stderr, "cannot start a server: %s\n", qPrintable(cluster.errorString()));
        return 1;
    }
    Database::setDefaultSettings(cluster.settings());
    // The store's spool in a folder of its own.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    Database db;
    if (!db.open()) {
        std::fprintf(stderr, "cannot open the store\n");
        return 1;
    }

    const int inserts = 2000;
    int inserted = 0;
    QElapsedTimer timer;
    {
        QVector<double> insertMs;
        QElapsedTimer all;
        all.start();
        for (int i = 0; i < inserts; ++i, ++inserted) {
            timer.start();
            if (!db.insert(record(i, inserted))) {
                std::fprintf(stderr, "insert failed\n");
                return 1;
            }
            insertMs << timer.nsecsElapsed() / 1e6;
        }
        if (!db.waitStored(60000)) {
            std::fprintf(stderr, "the writer did not store them all\n");
            return 1;
        }
        std::printf("insert, %d single rows back to back: median %.3f ms, p99 %.3f ms, max %.3f ms;"
                    " all in the table %.0f ms after the first\n",
                    inserts, median(insertMs), percentile(insertMs, 0.99),
                    *std::max_element(insertMs.begin(), insertMs.end()), all.nsecsElapsed() / 1e6);
    }
    {
        // The spool alone, its flushing thread running, as fast as it goes.
        QTemporaryDir dir;
        ReadingSpool spool(dir.path());
        spool.open();
        const int appends = 100000;
        QVector<double> appendUs;
        appendUs.reserve(appends);
        for (int i = 0; i < appends; ++i) {
            const QStringList values = record(i, i);
            timer.start();
            spool.append(values);
            appendUs << timer.nsecsElapsed() / 1e3;
        }
        std::printf("spool append, %d readings: median %.1f us, p99 %.1f us, max %.1f us\n", appends,
                    median(appendUs), percentile(appendUs, 0.99),
                    *std::max_element(appendUs.begin(), appendUs.end()));
    }
    QString count;
    if (!cluster.execSql(QStringLiteral("select count(*) from invoice"), &count) || count.toInt() != inserted) {
        std::fprintf(stderr, "expected %d stored rows, found %s\n", inserted, qPrintable(count));
        return 1;
    }

    if (!cluster.execSql(QStringLiteral(
            "insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time)"
            " select 'DCV', to_char(n % 10000 * 0.001, 'FM0.000'), 'V', 1,"
            " timestamp '2024-05-01 00:00:00' + n * interval '1 second'"
            " from generate_series(0, 999999) n"))
        || !cluster.execSql(QStringLiteral("vacuum analyze invoice"))) {
        std::fprintf(stderr, "cannot fill the table: %s\n", qPrintable(cluster.errorString()));
        return 1;
    }

    std::printf("%9s  %12s  %12s  %12s  %12s  %7s\n", "rows", "query ms", "read ms", "store ms",
                "psql ms", "ratio");
    for (int rows : {100000, 1000000}) {
        const QDateTime stop = base.addSecs(rows - 1);
        const QString statement =
            QStringLiteral("select funcstr, datavaluestr, unitstr, frastr, create_time from invoice"
                           " where create_time between '%1' and '%2' order by create_time, id")
                .arg(base.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                     stop.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        QVector<double> queryMs, readMs, totalMs, psqlMs, viewMs;
        for (int run = 0; run < runs; ++run) {
            timer.start();
            QSqlQueryModel *model = db.query(base, stop);
            const double queried = timer.nsecsElapsed() / 1e6;
            if (model->rowCount() != rows) {
                std::fprintf(stderr, "expected %d rows, got %d\n", rows, model->rowCount());
                return 1;
            }
            timer.start();
            const qint64 sum = readByQuery(model);
            const double read = timer.nsecsElapsed() / 1e6;
            timer.start();
            const qint64 viewSum = readByModel(model);
            viewMs << timer.nsecsElapsed() / 1e6;
            if (sum != viewSum) {
                std::fprintf(stderr, "the two ways of reading disagree\n");
                return 1;
            }
            queryMs << queried;
            readMs << read;
            totalMs << queried + read;
            psqlMs << timePsql(cluster, statement);
        }
        std::printf("%9d  %12.1f  %12.1f  %12.1f  %12.1f  %7.2f\n", rows, median(queryMs), median(readMs),
                    median(totalMs), median(psqlMs), median(totalMs) / median(psqlMs));
        std::printf("%9s  reading every cell through model->data() instead: %.1f ms\n", "",
                    median(viewMs));
    }
    std::printf("(medians of %d runs; store = range query + reading every field by column index)\n", runs);
    return 0;
}
