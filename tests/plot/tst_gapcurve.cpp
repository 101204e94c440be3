#include "plot/GapCurve.h"
#include "tests/common/TestRegistry.h"

#include <QTest>

class TestGapCurve : public QObject
{
    Q_OBJECT
private slots:
    void gapStarts_data();
    void gapStarts();
};

void TestGapCurve::gapStarts_data()
{
    QTest::addColumn<QVector<double>>("x");
    QTest::addColumn<QVector<int>>("starts");

    QTest::newRow("no points") << QVector<double>() << QVector<int>();
    QTest::newRow("one point") << QVector<double>{0} << QVector<int>();
    QTest::newRow("every second") << QVector<double>{0, 1, 2, 3, 4} << QVector<int>();
    QTest::newRow("a session three hours later")
        << QVector<double>{0, 1, 2, 3, 10800, 10801} << QVector<int>{4};
    // Fast sampling puts many rows on one whole second: the middle spacing is
    // 0, and only pauses of five seconds and more count.
    QTest::newRow("4 s among shared seconds")
        << QVector<double>{0, 0, 0, 1, 1, 5, 5, 5} << QVector<int>();
    QTest::newRow("5 s among shared seconds")
        << QVector<double>{0, 0, 0, 1, 1, 6, 6, 6} << QVector<int>{5};
    QTest::newRow("every 10 s, a pause of 50 s")
        << QVector<double>{0, 10, 20, 70, 80, 90} << QVector<int>();
    QTest::newRow("every 10 s, a pause of 60 s")
        << QVector<double>{0, 10, 20, 80, 90, 100} << QVector<int>{3};
    QTest::newRow("two pauses, a lone reading between")
        << QVector<double>{0, 1, 2, 3, 600, 1200, 1201, 1202} << QVector<int>{4, 5};
    QTest::newRow("rows out of time order")
        << QVector<double>{0, 1, -3600, -3599, -3598} << QVector<int>{2};
}

void TestGapCurve::gapStarts()
{
    QFETCH(QVector<double>, x);
    QFETCH(QVector<int>, starts);
    QCOMPARE(GapCurve::gapStarts(x), starts);
}

QUORVANE_TEST(TestGapCurve);
#include "tst_gapcurve.moc"
