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
    void replacesRowsInOneReset();
};

namespace {
const QStringList Headers = {
    QStringLiteral("Time"), QStringLiteral("Data"), QStringLiteral("Unit"), QStringLiteral("Func")};

qint64 clockKey(const QDate &date, const QTime &time)
{
    return StoredRows::timeKey(QDateTime(date, time));
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
    StoredRows rows;
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

void TestHistoryTableModel::replacesRowsInOneReset()
{
    HistoryTableModel model(Headers);
    StoredRows first;
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

    StoredRows second;
    second.append(clockKey(QDate(2025, 6, 1), QTime(8, 0)), QStringLiteral("5"),
        QStringLiteral("Hz"), QStringLiteral("FREQ"));
    model.setRows(std::move(second));
    QCOMPARE(resets.count(), 2);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(rowTexts(model, 0), QStringList({"2025-06-01 08:00:00", "5", "Hz", "FREQ"}));
}

QUORVANE_TEST(TestHistoryTableModel);
#include "tst_historytablemodel.moc"
