#include "history/HistoryData.h"
#include "meter/StoredReading.h"
#include "plot/GapCurve.h"
#include "plot/Wave.h"
#include "store/Database.h"
#include "store/RangeReader.h"
#include "tests/common/ModalScript.h"
#include "tests/common/PgCluster.h"
#include "tests/common/TestRegistry.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QMap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTest>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_map.h>
#include <qwt_scale_draw.h>

#include <ctime>
#include <memory>

class TestHistoryData : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void buildsTheWindow();
    void functionCodes_data();
    void functionCodes();
    void oneRow();
    void rowsKeepTheirOrderAroundTheOrigin();
    void secondsCountAcrossClockChanges();
    void yRangeComesFromRowZeroOnly();
    void plotValues_data();
    void plotValues();
    void rangeOutsideTheTable_data();
    void rangeOutsideTheTable();
    void emptyResultKeepsWhatIsShown();
    void pausesBreakTheCurve();
    void readsEveryRowAndScrollsToTheEnd();
    void anyQueryShowsTheSame();
    void rangeReadShowsRowsOrCancelsOnTheServer();
    void rowsShowWhileTheyStreamIn_data();
    void rowsShowWhileTheyStreamIn();
    void plotDrawsTheExtremesOfTheRows();
    void repeatedHourIsPlacedAfterTheFirstPass_data();
    void repeatedHourIsPlacedAfterTheFirstPass();
    void rangeReadOfManyBatchesShowsWhatTheModelShows();
    void failedRangeReadIsToldAndChangesNothing();

private:
    struct Stored
    {
        QString function;
        QString value;
        QString unit;
        int range;
        QString time;
    };
    void store(const QList<Stored> &rows);
    // Every stored row in insertion order, so a test decides which row is first.
    QSqlQueryModel *inInsertionOrder();

    std::unique_ptr<PgCluster> cluster;
    std::unique_ptr<Database> database;
    std::unique_ptr<QSqlQueryModel> ownModel;
};

namespace {
const QString Celsius = QString(QChar(0x2103));

QStringList rowTexts(const QTableView *view, int row)
{
    const QAbstractItemModel *model = view->model();
    QStringList texts;
    for (int column = 0; column < model->columnCount(); ++column)
        texts << model->data(model->index(row, column)).toString();
    return texts;
}

QVector<QPointF> points(const Wave *wave)
{
    QVector<QPointF> result;
    const QwtSeriesData<QPointF> *data = wave->plotCurve()->data();
    for (size_t i = 0; i < data->size(); ++i)
        result << data->sample(i);
    return result;
}

QPushButton *cancelButton(const HistoryData &window)
{
    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        if (button->text() == QLatin1String("Cancel"))
            return button;
    }
    return nullptr;
}

QString originLabel(const Wave *wave)
{
    return wave->axisScaleDraw(QwtPlot::xBottom)->label(0).text();
}

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}
}  // namespace

void TestHistoryData::initTestCase()
{
    cluster.reset(new PgCluster);
    QVERIFY2(cluster->start(), qPrintable(cluster->errorString()));
    Database::setDefaultSettings(cluster->settings());
    database.reset(new Database);
    QVERIFY(database->open());
}

void TestHistoryData::init()
{
    cluster->unlockInvoice();
    QVERIFY(cluster->execSql(QStringLiteral("truncate invoice")));
}

void TestHistoryData::cleanupTestCase()
{
    ownModel.reset();
    database.reset();
    cluster.reset();
}

void TestHistoryData::store(const QList<Stored> &rows)
{
    QStringList values;
    for (const Stored &row : rows)
        values << QStringLiteral("('%1','%2','%3',%4,'%5')")
                      .arg(row.function, row.value, row.unit)
                      .arg(row.range)
                      .arg(row.time);
    QVERIFY(cluster->execSql(QStringLiteral("insert into invoice (funcstr, datavaluestr, unitstr, "
                                            "frastr, create_time)"
                                            " values ")
        + values.join(QLatin1Char(','))));
}

QSqlQueryModel *TestHistoryData::inInsertionOrder()
{
    ownModel.reset(new QSqlQueryModel);
    ownModel->setQuery(
        QStringLiteral("select * from invoice order by id"), QSqlDatabase::database());
    return ownModel.get();
}

void TestHistoryData::buildsTheWindow()
{
    HistoryData window;
    QCOMPARE(window.windowTitle(), QStringLiteral("history viewing"));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    const QAbstractItemModel *model = window.tableView()->model();
    QStringList headers;
    for (int column = 0; column < model->columnCount(); ++column)
        headers << model->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(headers, QStringList({"Time", "Data", "Unit", "Func"}));
    QCOMPARE(window.tableView()->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(window.tableView()->editTriggers(), QAbstractItemView::NoEditTriggers);
    QStringList buttons;
    for (const QPushButton *button : window.findChildren<QPushButton *>()) {
        // The read's Cancel shows only while a read runs.
        if (!button->isVisibleTo(&window))
            continue;
        QCOMPARE(button->minimumHeight(), 40);
        buttons << button->text();
    }
    QCOMPARE(buttons, QStringList({"Out excel", "Out txt", "Print"}));
}

void TestHistoryData::functionCodes_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("code");
    QTest::newRow("DCmV") << "DCmV"
                          << "mV" << 0;
    QTest::newRow("FREQ") << "FREQ"
                          << "Hz" << 8;
    QTest::newRow("ACA") << "ACA"
                         << "A" << 17;
    QTest::newRow("TEMP degrees C") << "TEMP" << Celsius << 10;
    QTest::newRow("TEMP degrees F") << "TEMP" << QString(QChar(0x2109)) << 11;
    QTest::newRow("TEMP C spelt out") << "TEMP"
                                      << "C" << 11;
    QTest::newRow("TEMP no unit") << "TEMP"
                                  << "" << 11;
    QTest::newRow("unknown") << "VOLT"
                             << "V" << 0;
    QTest::newRow("case matters") << "dcv"
                                  << "V" << 0;
}

void TestHistoryData::functionCodes()
{
    QFETCH(QString, function);
    QFETCH(QString, unit);
    QFETCH(int, code);
    QCOMPARE(StoredReading::functionCode(function, unit), code);
}

void TestHistoryData::oneRow()
{
    store({{"DCV", "1.234", "V", 1, "2024-05-01 10:00:00"}});
    HistoryData window;
    window.setModel(database->query(at("2024-05-01 00:00:00"), at("2024-05-02 00:00:00")));

    QCOMPARE(window.tableView()->model()->rowCount(), 1);
    QCOMPARE(
        rowTexts(window.tableView(), 0), QStringList({"2024-05-01 10:00:00", "1.234", "V", "DCV"}));
    QCOMPARE(points(window.plot()), QVector<QPointF>({QPointF(0, 1.234)}));
    QCOMPARE(originLabel(window.plot()), QStringLiteral("10:00:00"));
    QVERIFY(!window.plot()->axisAutoScale(QwtPlot::yLeft));
    QCOMPARE(window.plot()->axisInterval(QwtPlot::yLeft).minValue(), -24.0);
    QCOMPARE(window.plot()->axisInterval(QwtPlot::yLeft).maxValue(), 24.0);
}

void TestHistoryData::rowsKeepTheirOrderAroundTheOrigin()
{
    store({{"DCV", "1", "V", 1, "2024-05-01 10:00:05"}, {"DCV", "2", "V", 1, "2024-05-01 10:00:00"},
        {"DCV", "3", "V", 1, "2024-05-01 10:00:10"}, {"DCV", "4", "V", 1, "2024-05-01 09:59:05"}});
    HistoryData window;
    window.setModel(inInsertionOrder());

    QCOMPARE(points(window.plot()),
        QVector<QPointF>({QPointF(0, 1), QPointF(-5, 2), QPointF(5, 3), QPointF(-60, 4)}));
    QCOMPARE(originLabel(window.plot()), QStringLiteral("10:00:05"));
    QCOMPARE(window.plot()->axisScaleDraw(QwtPlot::xBottom)->label(-60).text(),
        QStringLiteral("09:59:05"));
    QCOMPARE(rowTexts(window.tableView(), 0).at(0), QStringLiteral("2024-05-01 10:00:05"));
    QCOMPARE(rowTexts(window.tableView(), 3).at(0), QStringLiteral("2024-05-01 09:59:05"));
}

void TestHistoryData::secondsCountAcrossClockChanges()
{
    store({{"DCV", "1", "V", 1, "2024-10-27 01:59:00"}, {"DCV", "2", "V", 1, "2024-10-27 03:00:00"},
        {"DCV", "3", "V", 1, "2024-03-31 01:59:00"}, {"DCV", "4", "V", 1, "2024-03-31 03:00:00"}});
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    HistoryData window;
    window.setModel(inInsertionOrder());
    const QVector<QPointF> plotted = points(window.plot());
    const QString label = originLabel(window.plot());
    qputenv("TZ", zone);
    if (zone.isEmpty())
        qunsetenv("TZ");
    tzset();

    QCOMPARE(plotted.size(), 4);
    // The clocks went back an hour in between, and forward an hour.
    QCOMPARE(plotted.at(1).x() - plotted.at(0).x(), 7260.0);
    QCOMPARE(plotted.at(3).x() - plotted.at(2).x(), 60.0);
    QCOMPARE(plotted.at(2).x(),
        -double(QDateTime(QDate(2024, 3, 31), QTime(0, 59), Qt::UTC)
                    .secsTo(QDateTime(QDate(2024, 10, 26), QTime(23, 59), Qt::UTC))));
    QCOMPARE(label, QStringLiteral("01:59:00"));
    QCOMPARE(rowTexts(window.tableView(), 1).at(0), QStringLiteral("2024-10-27 03:00:00"));
}

void TestHistoryData::repeatedHourIsPlacedAfterTheFirstPass_data()
{
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QVector<double>>("xs");
    QTest::addColumn<QVector<int>>("pieceStarts");
    // Clocks back from 03:00 to 02:00: the hour is recorded twice, the second pass after the first.
    QTest::newRow("autumn") << QStringList({"2024-10-27 01:59:00", "2024-10-27 02:30:00", "2024-10-27 02:59:30",
        "2024-10-27 02:00:10", "2024-10-27 02:30:00", "2024-10-27 03:00:00"}) << QVector<double>({0, 1860, 3630, 3670, 5460, 7260}) << QVector<int>();
    // A clock set back by hand repeats no hour of the zone: the line breaks.
    QTest::newRow("set back by hand") << QStringList({"2024-05-01 10:00:00", "2024-05-01 10:00:01", "2024-05-01 10:00:02",
        "2024-05-01 09:30:00", "2024-05-01 09:30:01"}) << QVector<double>({0, 1, 2, -1800, -1799}) << QVector<int>({3});
}

void TestHistoryData::repeatedHourIsPlacedAfterTheFirstPass()
{
    QFETCH(QStringList, times);
    QFETCH(QVector<double>, xs);
    QFETCH(QVector<int>, pieceStarts);
    QList<Stored> rows;
    for (const QString &time : times)
        rows.append({"DCV", QString::number(rows.size()), "V", 1, time});
    store(rows);
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    HistoryData window;
    QSignalSpy finished(&window, &HistoryData::signal_queryFinished);
    const bool read = window.queryRange(cluster->settings(), at("2024-01-01 00:00:00"), at("2025-01-01 00:00:00"))
        && finished.wait(20000);
    const QVector<QPointF> plotted = points(window.plot());
    zone.isEmpty() ? void(qunsetenv("TZ")) : void(qputenv("TZ", zone));
    tzset();
    QVERIFY(read);
    // Listed and plotted in recorded order.
    QVector<QPointF> expected;
    for (int row = 0; row < xs.size(); ++row) {
        expected << QPointF(xs.at(row), row);
        QCOMPARE(rowTexts(window.tableView(), row).at(0), times.at(row));
    }
    QCOMPARE(plotted, expected);
    QCOMPARE(dynamic_cast<const GapCurve *>(window.plot()->plotCurve())->pieceStarts(), pieceStarts);
}

void TestHistoryData::yRangeComesFromRowZeroOnly()
{
    store({{"ACV", "100.0", "V", 2, "2024-05-01 10:00:00"},
        {"DCV", "-1000", "V", 3, "2024-05-01 10:00:01"}});
    HistoryData window;
    window.setModel(inInsertionOrder());
    QCOMPARE(window.plot()->axisInterval(QwtPlot::yLeft).minValue(), 0.0);
    QCOMPARE(window.plot()->axisInterval(QwtPlot::yLeft).maxValue(), 240.0);
    QCOMPARE(points(window.plot()).at(1), QPointF(1, -1000));
}

void TestHistoryData::plotValues_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("range");
    QTest::addColumn<double>("y");

    QTest::newRow("DCV overload, range 3") << "DCV"
                                           << "0L"
                                           << "V" << 3 << 1100.0;
    QTest::newRow("DCV overload, range 0") << "DCV"
                                           << ".0L"
                                           << "V" << 0 << 2.3;
    QTest::newRow("negative DCV overload") << "DCV"
                                           << "-0L"
                                           << "V" << 3 << -1100.0;
    QTest::newRow("negative DCuA overload, range 1") << "DCuA" << "-O.L  " << "uA" << 1 << -2300.0;
    QTest::newRow("FREQ overload, range 2") << "FREQ"
                                            << "0L"
                                            << "Hz" << 2 << 0.0;
    QTest::newRow("TEMP C negative overload") << "TEMP"
                                              << "-0L" << Celsius << 0 << -22.0;
    QTest::newRow("TEMP F negative overload") << "TEMP"
                                              << "-0L" << QString(QChar(0x2109)) << 0 << -5.0;
    QTest::newRow("TEMP C overload") << "TEMP"
                                     << "0L" << Celsius << 0 << 1100.0;
    QTest::newRow("TEMP F overload") << "TEMP"
                                     << "0L" << QString(QChar(0x2109)) << 0 << 1850.0;
    QTest::newRow("TEMP overload, sign decides, not range") << "TEMP"
                                                            << "-0L" << Celsius << 5 << -22.0;
    QTest::newRow("lower-case l is no overload") << "DCV"
                                                 << "0l"
                                                 << "V" << 3 << 0.0;
    QTest::newRow("unknown function overload as DCmV") << "VOLT"
                                                       << "0L"
                                                       << "V" << 0 << 230.0;
    QTest::newRow("unknown function value") << "VOLT"
                                            << "-2.5"
                                            << "V" << 0 << -2.5;
    QTest::newRow("decimal") << "ACmA"
                             << "12.34"
                             << "mA" << 0 << 12.34;
    QTest::newRow("negative") << "DCV"
                              << "-0.051"
                              << "V" << 0 << -0.051;
    QTest::newRow("not a number") << "DCV"
                                  << "abc"
                                  << "V" << 0 << 0.0;
    QTest::newRow("decimal comma") << "DCV"
                                   << "1,5"
                                   << "V" << 0 << 0.0;
    QTest::newRow("empty") << "DCV"
                           << ""
                           << "V" << 0 << 0.0;
    QTest::newRow("nan") << "DCV"
                         << "nan"
                         << "V" << 0 << 0.0;
    QTest::newRow("inf") << "DCV"
                         << "-inf"
                         << "V" << 0 << 0.0;
}

void TestHistoryData::plotValues()
{
    QFETCH(QString, function);
    QFETCH(QString, value);
    QFETCH(QString, unit);
    QFETCH(int, range);
    QFETCH(double, y);

    // The row checked comes second, so it is plotted as any later row is.
    store({{"DCV", "1", "V", 0, "2024-05-01 10:00:00"},
        {function, value, unit, range, "2024-05-01 10:00:02"}});
    HistoryData window;
    window.setModel(database->query(at("2024-05-01 10:00:00"), at("2024-05-01 10:00:02")));
    const QVector<QPointF> plotted = points(window.plot());
    QCOMPARE(plotted.size(), 2);
    QCOMPARE(plotted.at(1).x(), 2.0);
    QCOMPARE(plotted.at(1).y(), y);
    QCOMPARE(rowTexts(window.tableView(), 1),
        QStringList({"2024-05-01 10:00:02", value, unit, function}));
}

void TestHistoryData::rangeOutsideTheTable_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("range");
    QTest::addColumn<double>("y");

    QTest::newRow("DCV overload, range 7") << "DCV"
                                           << "0L"
                                           << "V" << 7 << 0.0;
    QTest::newRow("DCV value, range 9") << "DCV"
                                        << "1.5"
                                        << "V" << 9 << 1.5;
    QTest::newRow("negative range") << "OHM"
                                    << "12"
                                    << "k" << -1 << 12.0;
    QTest::newRow("TEMP range 1") << "TEMP"
                                  << "25" << Celsius << 1 << 25.0;
}

void TestHistoryData::rangeOutsideTheTable()
{
    QFETCH(QString, function);
    QFETCH(QString, value);
    QFETCH(QString, unit);
    QFETCH(int, range);
    QFETCH(double, y);

    HistoryData window;
    // A fixed y range from an earlier result must give way to automatic
    // scaling when row 0 has no limits.
    store({{"ACV", "1", "V", 0, "2024-05-01 09:00:00"}});
    window.setModel(database->query(at("2024-05-01 09:00:00"), at("2024-05-01 09:00:00")));
    QVERIFY(!window.plot()->axisAutoScale(QwtPlot::yLeft));

    store({{function, value, unit, range, "2024-05-01 10:00:00"},
        {"DCV", "0L", "V", 3, "2024-05-01 10:00:01"}});
    window.setModel(database->query(at("2024-05-01 10:00:00"), at("2024-05-01 10:00:01")));
    QCOMPARE(window.tableView()->model()->rowCount(), 2);
    QCOMPARE(rowTexts(window.tableView(), 0),
        QStringList({"2024-05-01 10:00:00", value, unit, function}));
    QCOMPARE(points(window.plot()), QVector<QPointF>({QPointF(0, y), QPointF(1, 1100)}));
    QVERIFY(window.plot()->axisAutoScale(QwtPlot::yLeft));
}

void TestHistoryData::pausesBreakTheCurve()
{
    // Read every second; only the three hours break the line, not the 4 s.
    QList<Stored> rows;
    for (const char *time : {"10:00:00", "10:00:01", "10:00:05", "10:00:06", "13:00:00", "13:00:01"})
        rows.append({"DCV", "1.000", "V", 1, QStringLiteral("2024-05-01 ") + time});
    store(rows);
    HistoryData window;
    window.setModel(inInsertionOrder());
    QCOMPARE(dynamic_cast<const GapCurve *>(window.plot()->plotCurve())->pieceStarts(), QVector<int>({4}));
    QCOMPARE(window.tableView()->model()->rowCount(), 6);
}

void TestHistoryData::emptyResultKeepsWhatIsShown()
{
    store({{"DCV", "1.000", "V", 0, "2024-05-01 10:00:00"},
        {"DCV", "2.000", "V", 0, "2024-05-01 10:00:03"}});
    HistoryData window;
    window.setModel(database->query(at("2024-05-01 10:00:00"), at("2024-05-01 11:00:00")));
    const QVector<QPointF> before = points(window.plot());
    QCOMPARE(before.size(), 2);

    window.setModel(database->query(at("2025-01-01 00:00:00"), at("2025-01-02 00:00:00")));
    window.setModel(nullptr);
    QSqlQueryModel failed;
    failed.setQuery(QStringLiteral("select * from no_such_table"), QSqlDatabase::database());
    window.setModel(&failed);

    QCOMPARE(points(window.plot()), before);
    QCOMPARE(originLabel(window.plot()), QStringLiteral("10:00:00"));
    QCOMPARE(window.tableView()->model()->rowCount(), 2);
    QCOMPARE(
        rowTexts(window.tableView(), 1), QStringList({"2024-05-01 10:00:03", "2.000", "V", "DCV"}));
}

void TestHistoryData::readsEveryRowAndScrollsToTheEnd()
{
    // More rows than a query model fetches at first.
    QVERIFY(cluster->execSql(QStringLiteral("insert into invoice (funcstr, datavaluestr, unitstr, "
                                            "frastr, create_time)"
                                            " select 'DCV', i::text, 'V', 2, timestamp '2024-05-01 "
                                            "10:00:00' + i * interval '1 second'"
                                            " from generate_series(0, 2999) as i")));
    HistoryData window;
    window.show();
    // A pan or zoom of the earlier result fixes the x axis; the next result
    // must still be in view.
    window.plot()->setAxisScale(QwtPlot::xBottom, 5000, 6000);
    window.setModel(database->query(at("2024-05-01 10:00:00"), at("2024-05-01 11:00:00")));
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.tableView()->model()->rowCount(), 3000);
    const QVector<QPointF> plotted = points(window.plot());
    QCOMPARE(plotted.size(), 3000);
    QCOMPARE(plotted.last(), QPointF(2999, 2999));
    QCOMPARE(rowTexts(window.tableView(), 2999),
        QStringList({"2024-05-01 10:49:59", "2999", "V", "DCV"}));
    QVERIFY(window.plot()->axisAutoScale(QwtPlot::xBottom));
    QCOMPARE(window.plot()->axisInterval(QwtPlot::xBottom).maxValue() >= 2999, true);
    const QScrollBar *bar = window.tableView()->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestHistoryData::anyQueryShowsTheSame()
{
    store({{"DCV", "1.5", "V", 1, "2024-05-01 10:00:00.7"},
        {"TEMP", "-0L", Celsius, 0, "2024-05-01 09:59:59"},
        {"ACV", "x", "V", 2, "2024-05-01 10:00:00"},
        {"OHM", "12.5", "k", 9, "-infinity"}, {"OHM", "0L", "M", 6, "infinity"},
        {"DCV", "2", "V", 1, "2024-05-02 00:00:01"}});
    // Straight from the server's timestamps, and through the driver's
    // reading of the same times as text.
    const QStringList selects = {QStringLiteral("select * from invoice order by id"),
        QStringLiteral("select funcstr, datavaluestr, unitstr, frastr, create_time::text as"
                       " create_time from invoice order by id")};
    QList<QList<QStringList>> tables;
    QList<QVector<QPointF>> plots;
    for (const QString &select : selects) {
        QSqlQueryModel model;
        model.setQuery(select, QSqlDatabase::database());
        HistoryData window;
        window.setModel(&model);
        QList<QStringList> table;
        for (int row = 0; row < window.tableView()->model()->rowCount(); ++row)
            table << rowTexts(window.tableView(), row);
        tables << table;
        plots << points(window.plot());
        QCOMPARE(originLabel(window.plot()), QStringLiteral("10:00:00"));
        QCOMPARE(window.plot()->axisInterval(QwtPlot::yLeft).maxValue(), 24.0);
    }
    QCOMPARE(tables.at(0).size(), 6);
    QCOMPARE(tables.at(0).at(0), QStringList({"2024-05-01 10:00:00", "1.5", "V", "DCV"}));
    QCOMPARE(tables.at(0).at(3), QStringList({"", "12.5", "k", "OHM"}));
    QCOMPARE(tables.at(0).at(4), QStringList({"", "0L", "M", "OHM"}));
    QCOMPARE(plots.at(0),
        QVector<QPointF>({QPointF(0, 1.5), QPointF(-1, -22), QPointF(0, 0), QPointF(0, 12.5),
            QPointF(0, 230), QPointF(50401, 2)}));
    QCOMPARE(tables.at(1), tables.at(0));
    QCOMPARE(plots.at(1), plots.at(0));
}

void TestHistoryData::rangeReadShowsRowsOrCancelsOnTheServer()
{
    store({{"DCV", "1.5", "V", 1, "2024-05-01 10:00:00"}, {"DCV", "-0L", "V", 1, "2024-05-01 10:00:02"},
        {"DCV", "9", "V", 1, "2024-05-01 11:00:00"}});
    HistoryData window;
    QSignalSpy finished(&window, &HistoryData::signal_queryFinished);
    QVERIFY(window.queryRange(cluster->settings(), at("2024-05-01 10:00:00"), at("2024-05-01 10:00:02")));
    QVERIFY(window.isQuerying());
    // The window at once, with the read's Cancel in it; no modal dialog.
    QVERIFY(window.isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(cancelButton(window)->isVisible());
    QVERIFY(finished.wait(20000));
    QVERIFY(!window.isQuerying());
    QVERIFY(!cancelButton(window)->isVisible());
    QCOMPARE(window.tableView()->model()->rowCount(), 2);
    QCOMPARE(rowTexts(window.tableView(), 1), QStringList({"2024-05-01 10:00:02", "-0L", "V", "DCV"}));
    QCOMPARE(points(window.plot()), QVector<QPointF>({QPointF(0, 1.5), QPointF(2, -23)}));
    QCOMPARE(originLabel(window.plot()), QStringLiteral("10:00:00"));
    QCOMPARE(window.readText(), QStringLiteral("2024-05-01 10:00:00 to 2024-05-01 10:00:02: 2 readings"));

    // A range without rows says so and keeps the table.
    QVERIFY(window.queryRange(cluster->settings(), at("2025-01-01 00:00:00"), at("2025-01-02 00:00:00")) && finished.wait(20000));
    QCOMPARE(window.readText(), QStringLiteral("2025-01-01 00:00:00 to 2025-01-02 00:00:00: No readings in this range"));
    QVERIFY(window.tableView()->model()->rowCount() == 2 && points(window.plot()).size() == 2);

    // With the table locked the query waits on the server; Cancel stops it
    // there and leaves the window as it was.
    QVERIFY2(cluster->lockInvoice(), qPrintable(cluster->errorString()));
    QVERIFY(window.queryRange(cluster->settings(), at("2024-05-01 10:00:00"), at("2024-05-01 12:00:00")));
    const QString reader = QLatin1String(RangeReader::applicationName);
    QTRY_COMPARE_WITH_TIMEOUT(cluster->sessions(reader, QStringLiteral("Lock")), 1, 20000);
    QTest::mouseClick(cancelButton(window), Qt::LeftButton);
    QVERIFY(finished.wait(10000));
    QTRY_COMPARE_WITH_TIMEOUT(cluster->sessions(reader), 0, 10000);
    cluster->unlockInvoice();
    QVERIFY(window.isVisible());
    QVERIFY(window.readText().endsWith(QStringLiteral("the read was cancelled")));
    QCOMPARE(window.tableView()->model()->rowCount(), 2);
    QCOMPARE(points(window.plot()).size(), 2);
}

void TestHistoryData::rowsShowWhileTheyStreamIn_data()
{
    QTest::addColumn<bool>("byClose");
    QTest::newRow("Cancel") << false;
    QTest::newRow("window closed") << true;
}

void TestHistoryData::rowsShowWhileTheyStreamIn()
{
    QFETCH(bool, byClose);
    const int count = 600000;   // the read still goes when the first rows show
    QVERIFY(cluster->execSql(QStringLiteral(
        "insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time)"
        " select 'DCV', (i % 1000)::text, 'V', 1, timestamp '2024-05-01 10:00:00' + (i / 10) * interval '1 second'"
        " from generate_series(1, %1) as i").arg(count)));
    HistoryData window;
    QSignalSpy finished(&window, &HistoryData::signal_queryFinished);
    QVERIFY(window.queryRange(cluster->settings(), at("2024-05-01 00:00:00"), at("2024-05-02 00:00:00")));
    const QAbstractItemModel *model = window.tableView()->model();
    // When the first rows show, the read goes on; they are stopped there.
    int first = 0;
    bool reading = false;
    connect(model, &QAbstractItemModel::modelReset, &window, [&] {
        first = model->rowCount();
        reading = window.isQuerying();
        byClose ? void(window.close()) : QTest::mouseClick(cancelButton(window), Qt::LeftButton);
    });
    QVERIFY(finished.wait(30000));
    QVERIFY(reading && first > 0);
    QCOMPARE(rowTexts(window.tableView(), first - 1).at(1), QString::number(first % 1000));
    // What was read stays, in table and plot alike.
    const int kept = model->rowCount();
    QVERIFY2(kept >= first && kept < count, qPrintable(QString::number(kept)));
    QCOMPARE(points(window.plot()).size(), kept);
    QCOMPARE(window.isVisible(), !byClose);
    QCOMPARE(window.readText(), QString("2024-05-01 00:00:00 to 2024-05-02 00:00:00: %1 readings, the read was cancelled").arg(QLocale().toString(kept)));
}

void TestHistoryData::plotDrawsTheExtremesOfTheRows()
{
    // Every pixel column of the plot keeps the lowest and highest reading of its rows.
    QVERIFY(cluster->execSql(QStringLiteral(
        "insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time)"
        " select 'DCV', case when i % 1013 = 0 then '-0L' when i % 4999 = 0 then '0L' else"
        " ((i * 7919) % 2001 - 1000)::text end, 'V', 1,"
        " timestamp '2024-05-01 10:00:00' + (i / 4) * interval '1 second' from generate_series(0, 99999) as i")));
    HistoryData window;
    window.resize(900, 500);
    QSignalSpy finished(&window, &HistoryData::signal_queryFinished);
    QVERIFY(window.queryRange(cluster->settings(), at("2024-05-01 00:00:00"), at("2024-05-02 00:00:00")) && finished.wait(30000));
    window.plot()->replot();
    const auto *curve = dynamic_cast<const GapCurve *>(window.plot()->plotCurve());
    QVERIFY(curve->isSummarised());
    const QwtScaleMap map = window.plot()->canvasMap(QwtPlot::xBottom);
    const int count = window.tableView()->model()->rowCount();
    const auto widen = [&map](QMap<int, QPair<double, double>> &extremes, double x, double y) {
        const int column = qRound(map.transform(x));
        const QPair<double, double> was = extremes.value(column, {y, y});
        extremes.insert(column, {qMin(was.first, y), qMax(was.second, y)});
    };
    QMap<int, QPair<double, double>> columns, drawn;
    for (int row = 0; row < count; ++row)
        widen(columns, curve->sample(size_t(row)).x(), curve->sample(size_t(row)).y());
    for (int index : curve->drawnPoints(map, window.plot()->canvas()->contentsRect(), 0, count - 1))
        widen(drawn, curve->sample(size_t(index)).x(), curve->sample(size_t(index)).y());
    QVERIFY(columns.size() > 100);
    QCOMPARE(drawn, columns);
}

void TestHistoryData::rangeReadOfManyBatchesShowsWhatTheModelShows()
{
    // Runs of functions and units, overloads of either sign, several rows a
    // second: the points made while the rows come in must be the same.
    QVERIFY(cluster->execSql(QStringLiteral(
        "insert into invoice (funcstr, datavaluestr, unitstr, frastr, create_time)"
        " select (array['DCV','TEMP','TEMP','ACmA'])[i / 40000 % 4 + 1],"
        " case when i % 997 = 0 then '-0L' when i % 991 = 0 then '0L' else (i % 1000)::text end,"
        " (array['V',chr(8451),chr(8457),'mA'])[i / 40000 % 4 + 1], i % 2,"
        " timestamp '2024-05-01 10:00:00' + (i / 3) * interval '1 second'"
        " from generate_series(0, 3 * 65536 + 4) as i")));
    const QDateTime start = at("2024-05-01 10:00:00");
    const QDateTime stop = at("2024-05-03 10:00:00");
    HistoryData byModel;
    byModel.setModel(database->query(start, stop));
    HistoryData byRange;
    QSignalSpy finished(&byRange, &HistoryData::signal_queryFinished);
    QVERIFY(byRange.queryRange(cluster->settings(), start, stop));
    QVERIFY(finished.wait(60000));
    QCOMPARE(byRange.tableView()->model()->rowCount(), 3 * 65536 + 5);
    QVERIFY(points(byRange.plot()) == points(byModel.plot()));
    for (int row : {0, 65535, 65536, 3 * 65536 + 4})
        QCOMPARE(rowTexts(byRange.tableView(), row), rowTexts(byModel.tableView(), row));
}

void TestHistoryData::failedRangeReadIsToldAndChangesNothing()
{
    store({{"DCV", "1.5", "V", 1, "2024-05-01 10:00:00"}});
    HistoryData window;
    window.setModel(database->query(at("2024-05-01 10:00:00"), at("2024-05-01 10:00:00")));
    Database::Settings nowhere = cluster->settings();
    nowhere.port = 1;
    QSignalSpy finished(&window, &HistoryData::signal_queryFinished);
    ModalScript script({ModalScript::click("OK")});
    QVERIFY(window.queryRange(nowhere, at("2024-05-01 10:00:00"), at("2024-05-01 11:00:00")));
    QVERIFY(finished.wait(20000));
    QCOMPARE(script.titles(), QStringList{"History record query"});
    QVERIFY2(script.seen().first().text.startsWith("The stored readings could not be read: "),
        qPrintable(script.seen().first().text));
    QVERIFY(!window.isVisible());
    QCOMPARE(rowTexts(window.tableView(), 0), QStringList({"2024-05-01 10:00:00", "1.5", "V", "DCV"}));
}

QUORVANE_TEST(TestHistoryData);
#include "tst_historydata.moc"
