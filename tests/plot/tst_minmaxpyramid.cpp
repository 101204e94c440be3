#include "plot/MinMaxPyramid.h"
#include "tests/common/TestRegistry.h"

#include <QTest>

class TestMinMaxPyramid : public QObject
{
    Q_OBJECT
private slots:
    void extremesMatchAScan_data();
    void extremesMatchAScan();
};

void TestMinMaxPyramid::extremesMatchAScan_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("levels");
    // Values taken in so many at a time as they arrive; 0: all at once.
    QTest::addColumn<int>("growth");
    // Counts around whole buckets and odd node counts on the levels above;
    // few levels of values give many ties, which must go to the earliest.
    QTest::newRow("one") << 1 << 3 << 0;
    QTest::newRow("short of a bucket") << 7 << 3 << 0;
    QTest::newRow("one bucket") << 8 << 3 << 0;
    QTest::newRow("odd buckets") << 9 * 8 + 5 << 4 << 0;
    QTest::newRow("many, distinct") << 1000 << 100000 << 0;
    QTest::newRow("many, ties") << 1003 << 5 << 0;
    QTest::newRow("grown one by one") << 77 << 4 << 1;
    QTest::newRow("grown in uneven parts") << 1003 << 5 << 37;
}

void TestMinMaxPyramid::extremesMatchAScan()
{
    QFETCH(int, count);
    QFETCH(int, levels);
    QFETCH(int, growth);
    QVector<double> values(count);
    for (int i = 0; i < count; ++i)
        values[i] = double((i * 7919 + 13) % levels);
    MinMaxPyramid pyramid;
    if (growth == 0)
        pyramid.build(values.constData(), count);
    for (int grown = growth; growth > 0 && grown < count + growth; grown += growth)
        pyramid.extend([&values](int i) { return values.at(i); }, std::min(grown, count));
    QVERIFY(!pyramid.isEmpty());

    const int step = std::max(1, count / 60);
    for (int from = 0; from < count; from += step) {
        for (int to = from + 1; to <= count; to += step) {
            int expectedLow = from;
            int expectedHigh = from;
            for (int i = from; i < to; ++i) {
                if (values.at(i) < values.at(expectedLow))
                    expectedLow = i;
                if (values.at(i) > values.at(expectedHigh))
                    expectedHigh = i;
            }
            int low = -1;
            int high = -1;
            pyramid.extremes(values.constData(), from, to, low, high);
            QCOMPARE(low, expectedLow);
            QCOMPARE(high, expectedHigh);
        }
    }
    // An empty range leaves the indices alone; clear() drops the summary.
    int low = -2;
    int high = -2;
    pyramid.extremes(values.constData(), count, count, low, high);
    QCOMPARE(low, -2);
    QCOMPARE(high, -2);
    pyramid.clear();
    QVERIFY(pyramid.isEmpty());
}

QUORVANE_TEST(TestMinMaxPyramid);
#include "tst_minmaxpyramid.moc"
