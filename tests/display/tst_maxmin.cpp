#include "display/MaxMin.h"
#include "meter/Reading.h"
#include "tests/common/TestRegistry.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {
// Sets the fields of the reading that the strip reads, as the decoder would.
void setReading(double value, int decimals, int function = 2, int range = 1)
{
    Reading &r = Reading::current();
    r.value = value;
    r.negative = value < 0;
    r.decimals = decimals;
    r.functionIndex = function;
    r.range = range;
    r.valueText = QString::number(qAbs(value), 'f', decimals);
}

void setOverload(const QString &text, double value)
{
    Reading &r = Reading::current();
    r.valueText = text;
    r.value = value;
    r.negative = value < 0;
}

void sample(MaxMin &strip)
{
    strip.updateMax();
    strip.updateMin();
}
}

class TestMaxMin : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startsEmptyAndReadOnly();
    void resetTakesTheReading_data();
    void resetTakesTheReading();
    void comparisonsAreStrict();
    void widensOnlyOutward();
    void decimalsOfUpdates_data();
    void decimalsOfUpdates();
    void overloadUpward();
    void overloadDownward();
    void overloadTextNeedsCapitalL();
};

void TestMaxMin::init()
{
    Reading::current().reset();
}

void TestMaxMin::startsEmptyAndReadOnly()
{
    MaxMin strip;
    QCOMPARE(strip.maxText(), QString());
    QCOMPARE(strip.minText(), QString());
    QCOMPARE(strip.maximumHeight(), 50);
    QCOMPARE(strip.minimumHeight(), 50);
    const QList<QLineEdit *> edits = strip.findChildren<QLineEdit *>();
    QCOMPARE(edits.size(), 2);
    for (const QLineEdit *edit : edits) {
        QVERIFY(!edit->isEnabled());
        QCOMPARE(edit->alignment(), Qt::AlignCenter);
    }
    QStringList labels;
    for (const QLabel *label : strip.findChildren<QLabel *>())
        labels << label->text();
    QCOMPARE(labels, (QStringList{"Max:", "Min:"}));
}

void TestMaxMin::resetTakesTheReading_data()
{
    QTest::addColumn<QString>("valueText");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("shown");
    QTest::newRow("DCV") << "1.2345" << 1.2345 << 4 << 2 << 0 << "1.2345";
    QTest::newRow("negative") << "1.500" << -1.5 << 3 << 2 << 1 << "-1.500";
    QTest::newRow("OHM range 6 keeps its decimals") << "123.45" << 123.45 << 3 << 4 << 6 << "123.450";
    QTest::newRow("overload") << "O.L  " << 23.0 << 3 << 2 << 1 << "O.L  ";
    QTest::newRow("negative overload, no sign") << "O.L  " << -23.0 << 3 << 2 << 1 << "O.L  ";
}

void TestMaxMin::resetTakesTheReading()
{
    QFETCH(QString, valueText);
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(int, function);
    QFETCH(int, range);
    QFETCH(QString, shown);
    MaxMin strip;
    setReading(99.0, 1);
    sample(strip);
    Reading &r = Reading::current();
    r.valueText = valueText;
    r.value = value;
    r.negative = value < 0;
    r.decimals = decimals;
    r.functionIndex = function;
    r.range = range;
    strip.reset();
    QCOMPARE(strip.maxText(), shown);
    QCOMPARE(strip.minText(), shown);

    // Both recorded values are the reading's: anything just above or below
    // it now moves one side only.
    setReading(value + 0.5, 1);
    sample(strip);
    QCOMPARE(strip.maxText(), QString::number(value + 0.5, 'f', 1));
    QCOMPARE(strip.minText(), shown);
}

void TestMaxMin::comparisonsAreStrict()
{
    MaxMin strip;
    setReading(5.0, 3);
    strip.reset();
    setReading(2.0, 3);
    sample(strip);
    QCOMPARE(strip.minText(), QStringLiteral("2.000"));
    // Equal values written with other decimals would show if they counted.
    setReading(5.0, 1);
    sample(strip);
    setReading(2.0, 1);
    sample(strip);
    QCOMPARE(strip.maxText(), QStringLiteral("5.000"));
    QCOMPARE(strip.minText(), QStringLiteral("2.000"));
}

void TestMaxMin::widensOnlyOutward()
{
    MaxMin strip;
    setReading(1.0, 3);
    strip.reset();
    const double series[] = {1.5, 0.5, 1.2, -1.5, 0.0, 2.25};
    for (double value : series) {
        setReading(value, 3);
        sample(strip);
    }
    QCOMPARE(strip.maxText(), QStringLiteral("2.250"));
    QCOMPARE(strip.minText(), QStringLiteral("-1.500"));
}

void TestMaxMin::decimalsOfUpdates_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("low");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("min");
    QTest::newRow("OHM range 6: one fewer") << 4 << 6 << 3 << 30.0 << 5.0 << "30.00" << "5.00";
    QTest::newRow("OHM range 5") << 4 << 5 << 3 << 30.0 << 5.0 << "30.000" << "5.000";
    QTest::newRow("DCV range 6 is not OHM") << 2 << 6 << 3 << 30.0 << 5.0 << "30.000" << "5.000";
    // Rounded half up from the count, as the reading panel shows it.
    QTest::newRow("OHM range 6: 163.85, 0.35") << 4 << 6 << 2 << 163.85 << 0.35 << "163.9" << "0.4";
    QTest::newRow("OHM range 6: below zero") << 4 << 6 << 2 << 10.05 << -0.35 << "10.1" << "-0.4";
}

void TestMaxMin::decimalsOfUpdates()
{
    QFETCH(int, function);
    QFETCH(int, range);
    QFETCH(int, decimals);
    QFETCH(double, high);
    QFETCH(double, low);
    QFETCH(QString, max);
    QFETCH(QString, min);
    MaxMin strip;
    setReading(10.0, decimals, function, range);
    strip.reset();
    QCOMPARE(strip.maxText(), QString::number(10.0, 'f', decimals));
    QCOMPARE(strip.minText(), QString::number(10.0, 'f', decimals));
    setReading(high, decimals, function, range);
    sample(strip);
    setReading(low, decimals, function, range);
    sample(strip);
    QCOMPARE(strip.maxText(), max);
    QCOMPARE(strip.minText(), min);
}

void TestMaxMin::overloadUpward()
{
    MaxMin strip;
    setReading(1.0, 3);
    strip.reset();
    setReading(5.0, 3);
    sample(strip);
    setOverload(QStringLiteral("O.L  "), 23.0);
    sample(strip);
    QCOMPARE(strip.maxText(), QStringLiteral("O.L  "));
    QCOMPARE(strip.minText(), QStringLiteral("1.000"));

    setReading(10.0, 3);
    sample(strip);
    QCOMPARE(strip.maxText(), QStringLiteral("O.L  "));
    setReading(23.5, 3);
    sample(strip);
    QCOMPARE(strip.maxText(), QStringLiteral("23.500"));

    // An overload replaces the maximum even below the recorded value.
    setReading(1.0, 0);
    setOverload(QStringLiteral("OL  "), 1.0);
    sample(strip);
    QCOMPARE(strip.maxText(), QStringLiteral("OL  "));
    setReading(1.5, 1);
    sample(strip);
    QCOMPARE(strip.maxText(), QStringLiteral("1.5"));
}

void TestMaxMin::overloadDownward()
{
    MaxMin strip;
    setReading(-1.0, 1);
    strip.reset();
    setOverload(QStringLiteral("OL . "), -1100.0);
    sample(strip);
    QCOMPARE(strip.minText(), QStringLiteral("-OL . "));
    QCOMPARE(strip.maxText(), QStringLiteral("-1.0"));
    setReading(-1000.0, 1);
    sample(strip);
    QCOMPARE(strip.minText(), QStringLiteral("-OL . "));
    setReading(-1200.0, 1);
    sample(strip);
    QCOMPARE(strip.minText(), QStringLiteral("-1200.0"));
}

void TestMaxMin::overloadTextNeedsCapitalL()
{
    MaxMin strip;
    setReading(50.0, 1);
    strip.reset();
    // A lower-case "l" is no overload: the value is compared as a number.
    setOverload(QStringLiteral("ol"), 10.0);
    sample(strip);
    QCOMPARE(strip.maxText(), QStringLiteral("50.0"));
    QCOMPARE(strip.minText(), QStringLiteral("10.0"));
}

QUORVANE_TEST(TestMaxMin);
#include "tst_maxmin.moc"
