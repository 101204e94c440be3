#include "history/HistoryTableModel.h"
#include "tests/common/TestRegistry.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

class TestHistoryTableModel : public QObject
{
    Q_OBJECT
private slots:
    void showsFourCentredReadOnlyColumns();
    void cellTexts_data();
    void cellTexts();
    void replacesRowsInOneReset();
};

namespace {
const QStringList Headers = {
    QStringLiteral("Time"), QStringLiteral("Data"), QStringLiteral("Unit"), QStringLiteral("Func")};

qint64 clockKey(const QDate &date, const QTime &time)
{
    return HistoryTableModel::timeKey(QDateTime(date, time));
}

QStringList rowTexts(const HistoryTableModel &model, int row)
{
    QStringList texts;
    for (int column = 0; column < model.columnCount(); ++column)
        texts << model.data(model.index(row, column)).toString();
    return texts;
}
}  // namespace

void TestHistoryTableModel::showsFourCentredReadOnlyColumns()
{
    HistoryTableModel model(Headers);
    HistoryTableModel::Rows rows;
    rows.append(clockKey(QDate(2024, 5, 1), QTime(10, 0, 0)), QStringLiteral("1.234"),
        QStringLiteral("V"), QStringLiteral("DCV"));
    model.setRows(std::move(rows));

    QCOMPARE(model.columnCount(), 4);
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), Headers.at(column));
        const QModelIndex index = model.index(0, column);
        QCOMPARE(model.data(index, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QCOMPARE(model.flags(index), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }
    QCOMPARE(model.headerData(0, Qt::Vertical).toInt(), 1);
    QVERIFY(!model.data(model.index(1, 0)).isValid());
    QVERIFY(!model.data(model.index(0, 4)).isValid());
}

void TestHistoryTableModel::cellTexts_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("timeText");

    QTest::newRow("plain") << QDateTime(QDate(2024, 5, 1), QTime(10, 0, 0)) << "1.234"
                           << "V"
                           << "DCV"
                           << "2024-05-01 10:00:00";
    QTest::newRow("negative overload, degrees") << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59))
                                                << "-0L" << QString(QChar(0x2103)) << "TEMP"
                                                << "2024-12-31 23:59:59";
    QTest::newRow("fraction dropped") << QDateTime(QDate(2024, 1, 2), QTime(0, 0, 7, 900)) << "abc"
                                      << ""
                                      << "X"
                                      << "2024-01-02 00:00:07";
    QTest::newRow("no time") << QDateTime() << ""
                             << "mV"
                             << ""
                             << "";
}

void TestHistoryTableModel::cellTexts()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, value);
    QFETCH(QString, unit);
    QFETCH(QString, function);
    QFETCH(QString, timeText);

    // Rows around the one checked share unit and function texts with it.
    HistoryTableModel model(Headers);
    HistoryTableModel::Rows rows;
    rows.append(clockKey(QDate(2020, 1, 1), QTime(0, 0)), QStringLiteral("9"), unit, function);
    rows.append(HistoryTableModel::timeKey(time), value, unit, function);
    rows.append(clockKey(QDate(2020, 1, 1), QTime(0, 0)), QStringLiteral("77"), QStringLiteral("k"),
        QStringLiteral("OHM"));
    model.setRows(std::move(rows));

    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(rowTexts(model, 1), QStringList({timeText, value, unit, function}));
    QCOMPARE(rowTexts(model, 0), QStringList({"2020-01-01 00:00:00", "9", unit, function}));
    QCOMPARE(rowTexts(model, 2), QStringList({"2020-01-01 00:00:00", "77", "k", "OHM"}));
}

void TestHistoryTableModel::replacesRowsInOneReset()
{
    HistoryTableModel model(Headers);
    HistoryTableModel::Rows first;
    for (int i = 0; i < 1000; ++i)
        first.append(clockKey(QDate(2024, 5, 1), QTime(0, 0).addSecs(i)), QString::number(i),
            QStringLiteral("V"), QStringLiteral("DCV"));
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    model.setRows(std::move(first));
    QCOMPARE(resets.count(), 1);
    QCOMPARE(inserts.count(), 0);
    QCOMPARE(model.rowCount(), 1000);
    QCOMPARE(rowTexts(model, 999), QStringList({"2024-05-01 00:16:39", "999", "V", "DCV"}));

    HistoryTableModel::Rows second;
    second.append(clockKey(QDate(2025, 6, 1), QTime(8, 0)), QStringLiteral("5"),
        QStringLiteral("Hz"), QStringLiteral("FREQ"));
    model.setRows(std::move(second));
    QCOMPARE(resets.count(), 2);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(rowTexts(model, 0), QStringList({"2025-06-01 08:00:00", "5", "Hz", "FREQ"}));
}

QUORVANE_TEST(TestHistoryTableModel);
#include "tst_historytablemodel.moc"
