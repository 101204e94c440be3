#include "display/Table.h"
#include "meter/Reading.h"
#include "tests/common/TestRegistry.h"

#include <QDateTime>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

class TestTable : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void columnsFromHeaders_data();
    void columnsFromHeaders();
    void addReadingCells_data();
    void addReadingCells();
    void clearRowsKeepsColumns();
    void followsTheNewestRow();
};

void TestTable::init()
{
    Reading::current().reset();
}

void TestTable::columnsFromHeaders_data()
{
    QTest::addColumn<QStringList>("headers");
    QTest::newRow("live") << QStringList{"Time", "Data", "Func"};
    QTest::newRow("history") << QStringList{"Time", "Data", "Unit", "Func"};
}

void TestTable::columnsFromHeaders()
{
    QFETCH(QStringList, headers);
    Table table(headers);
    QCOMPARE(table.columnCount(), headers.size());
    QCOMPARE(table.rowCount(), 0);
    for (int c = 0; c < headers.size(); ++c) {
        QCOMPARE(table.horizontalHeaderItem(c)->text(), headers.at(c));
        QCOMPARE(table.horizontalHeader()->sectionResizeMode(c), QHeaderView::Stretch);
    }
}

void TestTable::addReadingCells_data()
{
    QTest::addColumn<QString>("valueText");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<QString>("data");
    QTest::newRow("positive") << "1.2345" << "V" << false << "1.2345 V";
    QTest::newRow("negative") << "0.512" << "mA" << true << "-0.512 mA";
    QTest::newRow("overload") << "O.L  " << "V" << false << "O.L   V";
    QTest::newRow("no unit") << "12" << "" << false << "12 ";
}

void TestTable::addReadingCells()
{
    QFETCH(QString, valueText);
    QFETCH(QString, unit);
    QFETCH(bool, negative);
    QFETCH(QString, data);
    Table table({"Time", "Data", "Func"});
    Reading &r = Reading::current();
    r.valueText = valueText;
    r.unitText = unit;
    r.negative = negative;
    r.functionText = QStringLiteral("DCmA");
    const QDateTime time(QDate(2026, 12, 31), QTime(23, 59, 58, 750));
    table.addReading(time);

    QCOMPARE(table.rowCount(), 1);
    const QStringList expected = {"2026-12-31 23:59:58", data, "DCmA"};
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(table.item(0, c)->text(), expected.at(c));
        QCOMPARE(table.item(0, c)->textAlignment(), int(Qt::AlignCenter));
    }
}

void TestTable::clearRowsKeepsColumns()
{
    Table table({"Time", "Data", "Func"});
    for (int i = 0; i < 7; ++i)
        table.addReading(QDateTime::currentDateTime());
    QCOMPARE(table.rowCount(), 7);
    table.clearRows();
    QCOMPARE(table.rowCount(), 0);
    QCOMPARE(table.columnCount(), 3);
    QCOMPARE(table.horizontalHeaderItem(1)->text(), QStringLiteral("Data"));
    table.addReading(QDateTime::currentDateTime());
    QCOMPARE(table.rowCount(), 1);
}

void TestTable::followsTheNewestRow()
{
    Table table({"Time", "Data", "Func"});
    table.resize(400, 200);
    table.show();
    for (int i = 0; i < 60; ++i)
        table.addReading(QDateTime::currentDateTime());
    QApplication::processEvents();
    QScrollBar *bar = table.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
}

QUORVANE_TEST(TestTable);
#include "tst_table.moc"
