#include "meter/Communication.h"
#include "meter/FrameEncoder.h"
#include "meter/Reading.h"
#include "tests/common/OrdinaryUser.h"
#include "tests/common/PseudoTerminal.h"
#include "tests/common/TestRegistry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
using Fields = FrameEncoder::Fields;
using Tweak = std::function<void(Fields &)>;

QByteArray frameFor(int index, int range, int count, const Tweak &tweak = Tweak())
{
    Fields fields;
    if (!FrameEncoder::fieldsFor(index, range, count, &fields))
        return QByteArray();
    if (tweak)
        tweak(fields);
    return FrameEncoder::encode(fields);
}

QByteArray rawFrame(int code, int rangeByte, const Tweak &tweak = Tweak())
{
    Fields fields;
    fields.functionCode = code;
    fields.range = rangeByte;
    if (tweak)
        tweak(fields);
    return FrameEncoder::encode(fields);
}

// One stray byte in front, so the buffer holds more than one frame's worth.
bool feed(Communication &link, const QByteArray &frame)
{
    link.appendReceived(QByteArray(1, '\x55') + frame);
    return link.takeLatestFrame();
}

// Bytes that never contain the terminator pair.
QByteArray noise(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = char(random.bounded(256));
        if (i > 0 && bytes.at(i) == '\x8A' && bytes.at(i - 1) == '\x0D')
            bytes[i] = '\x0A';
    }
    return bytes;
}

// The count 1234 shown with 0 to 4 decimals.
const char *const texts1234[] = {"1234", "123.4", "12.34", "1.234", "0.1234"};
const double values1234[] = {1234, 123.4, 12.34, 1.234, 0.1234};
const int rowLengths[] = {1, 1, 4, 4, 7, 1, 1, 8, 8, 1, 1, 1, 2, 2, 2, 2, 1, 1};
}

class TestCommunication : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void decodesTheWorkedExample();
    void decodesEveryTableRow_data();
    void decodesEveryTableRow();
    void selectsFunctionByCode_data();
    void selectsFunctionByCode();
    void unknownCodeKeepsFunction_data();
    void unknownCodeKeepsFunction();
    void overloadNumbers_data();
    void overloadNumbers();
    void convertsToFahrenheit_data();
    void convertsToFahrenheit();
    void keepsBarValueWithoutDecimals();
    void negativeReadingHasNoSignInText();
    void topResistanceRangeRoundsHalfUp_data();
    void topResistanceRangeRoundsHalfUp();
    void takesDigitNibblesAsTheyAre();
    void detectsFunctionAndRangeChanges();
    void extractsTheNewestFrame_data();
    void extractsTheNewestFrame();
    void ignoresFramesOutsideTheTable_data();
    void ignoresFramesOutsideTheTable();
    void boundKeepsDecodingIdentical_data();
    void boundKeepsDecodingIdentical();
    void receivesBytesFromPseudoTerminal();
    void portThatCannotOpenSaysWhy_data();
    void portThatCannotOpenSaysWhy();
    void hangUpClosesPort();
    void watchdogRepeatsWhileSilent();
    void watchdogStartsAndRestartsWithChunks();
};

void TestCommunication::init()
{
    Reading::current().reset();
}

void TestCommunication::decodesTheWorkedExample()
{
    Communication link;
    QSignalSpy changed(&link, &Communication::signal_funcRangeChange);
    link.appendReceived(QByteArray::fromHex("3031323334353B3030303030 0D8A 30"));
    QVERIFY(link.takeLatestFrame());
    const Reading &r = Reading::current();
    QCOMPARE(r.functionText, QStringLiteral("DCV"));
    QCOMPARE(r.functionIndex, 2);
    QCOMPARE(r.range, 0);
    QCOMPARE(r.unitText, QStringLiteral("V"));
    QCOMPARE(r.decimals, 4);
    QCOMPARE(r.valueText, QStringLiteral("1.2345"));
    QCOMPARE(r.value, 1.2345);
    QCOMPARE(r.barValue, 12.345);
    QCOMPARE(r.plotMax, 2.4);
    QCOMPARE(r.plotMin, -2.4);
    QVERIFY(r.manualRange && !r.autoRange);
    QVERIFY(!r.hold && !r.relative && !r.lowBattery && !r.max && !r.min && !r.negative);
    QVERIFY(!r.maxMinBlink && !r.overload);
    QVERIFY(r.rs232);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(link.receivedBytes(), QByteArray("0"));
}

void TestCommunication::decodesEveryTableRow_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("overloadNumber");
    QTest::addColumn<double>("plotMax");
    QTest::addColumn<double>("plotMin");

    const QString ohm = QString(QChar(0x03A9));
    struct Row
    {
        int index;
        int range;
        const char *name;
        QString unit;
        int decimals;
        double overload, upper, lower;
    };
    const Row rows[] = {
        {0, 0, "DCmV", "mV", 2, 230, 240, -240},
        {1, 0, "ACmV", "mV", 2, 230, 240, -240},
        {2, 0, "DCV", "V", 4, 2.3, 2.4, -2.4},
        {2, 1, "DCV", "V", 3, 23, 24, -24},
        {2, 2, "DCV", "V", 2, 230, 240, -240},
        {2, 3, "DCV", "V", 1, 1100, 1110, -1110},
        {3, 0, "ACV", "V", 4, 2.3, 2.4, 0},
        {3, 1, "ACV", "V", 3, 23, 24, 0},
        {3, 2, "ACV", "V", 2, 230, 240, 0},
        {3, 3, "ACV", "V", 1, 760, 770, 0},
        {4, 0, "OHM", ohm, 2, 230, 240, 0},
        {4, 1, "OHM", "k" + ohm, 4, 2.3, 2.4, 0},
        {4, 2, "OHM", "k" + ohm, 3, 23, 24, 0},
        {4, 3, "OHM", "k" + ohm, 2, 230, 240, 0},
        {4, 4, "OHM", "M" + ohm, 4, 2.3, 2.4, 0},
        {4, 5, "OHM", "M" + ohm, 3, 23, 24, 0},
        {4, 6, "OHM", "M" + ohm, 2, 230, 240, 0},
        {5, 0, "DIODE", "V", 4, 2.6, 3.0, 0},
        {6, 0, "BEEP", ohm, 2, 230, 240, 0},
        {7, 0, "CAP", "nF", 3, 23, 24, 0},
        {7, 1, "CAP", "nF", 2, 230, 240, 0},
        {7, 2, "CAP", "uF", 4, 2.3, 2.4, 0},
        {7, 3, "CAP", "uF", 3, 23, 24, 0},
        {7, 4, "CAP", "uF", 2, 230, 240, 0},
        {7, 5, "CAP", "mF", 4, 2.3, 2.4, 0},
        {7, 6, "CAP", "mF", 3, 23, 24, 0},
        {7, 7, "CAP", "mF", 2, 230, 240, 0},
        {8, 0, "FREQ", "Hz", 2, 23, 24, 0},
        {8, 1, "FREQ", "Hz", 1, 230, 240, 0},
        {8, 2, "FREQ", "", 0, 0, 0, 0},
        {8, 3, "FREQ", "kHz", 3, 23, 24, 0},
        {8, 4, "FREQ", "kHz", 2, 230, 240, 0},
        {8, 5, "FREQ", "MHz", 4, 2.3, 2.4, 0},
        {8, 6, "FREQ", "MHz", 3, 23, 24, 0},
        {8, 7, "FREQ", "MHz", 2, 60, 70, 0},
        {9, 0, "DUTY", "%", 1, 100, 110, 0},
        {10, 0, "TEMP", QString(QChar(0x2103)), 1, 1100, 1110, -25},
        {11, 0, "TEMP", QString(QChar(0x2109)), 1, 1850, 1900, -10},
        {12, 0, "DCuA", "uA", 2, 230, 240, -240},
        {12, 1, "DCuA", "uA", 1, 2300, 2400, -2400},
        {13, 0, "ACuA", "uA", 2, 230, 240, 0},
        {13, 1, "ACuA", "uA", 1, 2300, 2400, 0},
        {14, 0, "DCmA", "mA", 3, 23, 24, -24},
        {14, 1, "DCmA", "mA", 2, 230, 240, -240},
        {15, 0, "ACmA", "mA", 3, 23, 24, 0},
        {15, 1, "ACmA", "mA", 2, 230, 240, 0},
        {16, 0, "DCA", "A", 3, 11, 12, -12},
        {17, 0, "ACA", "A", 3, 11, 12, 0},
    };
    QCOMPARE(int(sizeof(rows) / sizeof(rows[0])), 48);
    for (const Row &row : rows) {
        QTest::addRow("%s %d %d", row.name, row.index, row.range)
            << row.index << row.range << QString::fromLatin1(row.name) << row.unit << row.decimals
            << row.overload << row.upper << row.lower;
    }
}

void TestCommunication::decodesEveryTableRow()
{
    QFETCH(int, index);
    QFETCH(int, range);
    QFETCH(QString, name);
    QFETCH(QString, unit);
    QFETCH(int, decimals);
    QFETCH(double, overloadNumber);
    QFETCH(double, plotMax);
    QFETCH(double, plotMin);

    Communication link;
    const Reading &r = Reading::current();
    QVERIFY(feed(link, frameFor(index, range, 1234)));
    QCOMPARE(r.functionIndex, index);
    QCOMPARE(r.range, range);
    QCOMPARE(r.functionText, name);
    QCOMPARE(r.unitText, unit);
    QCOMPARE(r.decimals, decimals);
    QCOMPARE(r.plotMax, plotMax);
    QCOMPARE(r.plotMin, plotMin);
    if (index == 11) {
        QCOMPARE(r.valueText, QStringLiteral("254.1")); // 123.4 Celsius
    } else if (index == 4 && range == 6) {
        QCOMPARE(r.valueText, QStringLiteral("12.3")); // one decimal less than the row's
        QCOMPARE(r.value, 12.34);
    } else {
        QCOMPARE(r.valueText, QString::fromLatin1(texts1234[decimals]));
        QCOMPARE(r.value, values1234[decimals]);
    }
    if (decimals > 0 && index != 11)
        QCOMPARE(r.barValue, 1.234);

    // The same row overloaded: the text by decimals, the number from the table.
    const char *const texts[] = {"OL  ", "OL . ", "OL.  ", "O.L  ", ".OL  "};
    QVERIFY(feed(link, frameFor(index, range, 1234, [](Fields &f) { f.overload = true; })));
    QVERIFY(r.overload);
    QCOMPARE(r.valueText, QString::fromLatin1(texts[decimals]));
    QCOMPARE(r.value, overloadNumber);

    // One range past the row's last is no frame of this function; the voltage
    // rows read range byte 4 as millivolts and DUTY forces range 0.
    if (range == rowLengths[index] - 1 && index > 3 && index != 9) {
        QByteArray past = frameFor(index, range, 1234);
        past[0] = char(0x30 | (range + 1));
        link.appendReceived(QByteArray(1, 'x') + past);
        QVERIFY(!link.takeLatestFrame());
        QCOMPARE(r.range, range);
    }
}

void TestCommunication::selectsFunctionByCode_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("rangeByte");
    QTest::addColumn<bool>("ac");
    QTest::addColumn<bool>("alternate");
    QTest::addColumn<bool>("frequencyMode");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("range");

    QTest::newRow("0 DCA") << 0x0 << 0 << false << false << false << 16 << 0;
    QTest::newRow("0 ACA") << 0x0 << 0 << true << false << false << 17 << 0;
    QTest::newRow("0 freq") << 0x0 << 3 << true << false << true << 8 << 3;
    QTest::newRow("0 duty") << 0x0 << 3 << false << true << true << 9 << 0;
    QTest::newRow("1 diode ignores flags") << 0x1 << 0 << true << true << true << 5 << 0;
    QTest::newRow("2 freq keeps range") << 0x2 << 5 << false << false << false << 8 << 5;
    QTest::newRow("2 duty range 0") << 0x2 << 5 << false << true << false << 9 << 0;
    QTest::newRow("3 ohm") << 0x3 << 6 << false << false << true << 4 << 6;
    QTest::newRow("4 celsius") << 0x4 << 0 << false << false << false << 10 << 0;
    QTest::newRow("4 fahrenheit") << 0x4 << 0 << false << true << false << 11 << 0;
    QTest::newRow("5 beep") << 0x5 << 0 << false << false << false << 6 << 0;
    QTest::newRow("6 cap") << 0x6 << 7 << false << false << false << 7 << 7;
    QTest::newRow("B range 4 DCmV") << 0xB << 4 << false << false << false << 0 << 0;
    QTest::newRow("B range 4 ACmV") << 0xB << 4 << true << false << false << 1 << 0;
    QTest::newRow("B DCV") << 0xB << 3 << false << false << false << 2 << 3;
    QTest::newRow("B ACV") << 0xB << 2 << true << false << false << 3 << 2;
    QTest::newRow("B freq") << 0xB << 4 << false << false << true << 8 << 4;
    QTest::newRow("B duty") << 0xB << 4 << false << true << true << 9 << 0;
    QTest::newRow("D DCuA") << 0xD << 1 << false << false << false << 12 << 1;
    QTest::newRow("D ACuA") << 0xD << 1 << true << false << false << 13 << 1;
    QTest::newRow("D freq") << 0xD << 6 << true << false << true << 8 << 6;
    QTest::newRow("F DCmA") << 0xF << 1 << false << false << false << 14 << 1;
    QTest::newRow("F ACmA") << 0xF << 0 << true << false << false << 15 << 0;
    QTest::newRow("F duty") << 0xF << 2 << false << true << true << 9 << 0;
}

void TestCommunication::selectsFunctionByCode()
{
    QFETCH(int, code);
    QFETCH(int, rangeByte);
    QFETCH(bool, ac);
    QFETCH(bool, alternate);
    QFETCH(bool, frequencyMode);
    QFETCH(int, index);
    QFETCH(int, range);

    Communication link;
    QByteArray frame = rawFrame(code, rangeByte, [&](Fields &f) {
        f.ac = ac;
        f.alternate = alternate;
        f.frequencyMode = frequencyMode;
        f.autoRange = false;
    });
    // Only the low nibbles carry information.
    frame[6] = char(0xC0 | code);
    frame[0] = char(0x90 | rangeByte);
    QVERIFY(feed(link, frame));
    const Reading &r = Reading::current();
    QCOMPARE(r.functionIndex, index);
    QCOMPARE(r.range, range);
    // Temperature never shows MANU, whatever the range bit says.
    QVERIFY(!r.autoRange);
    QCOMPARE(r.manualRange, code != 0x4);
}

void TestCommunication::unknownCodeKeepsFunction_data()
{
    QTest::addColumn<int>("code");
    for (int code : {0x7, 0x8, 0x9, 0xA, 0xC, 0xE})
        QTest::addRow("0x%X", code) << code;
}

void TestCommunication::unknownCodeKeepsFunction()
{
    QFETCH(int, code);
    Communication link;
    QSignalSpy changed(&link, &Communication::signal_funcRangeChange);
    QVERIFY(feed(link, frameFor(7, 1, 500)));
    QVERIFY(feed(link, rawFrame(code, 5, [](Fields &f) { f.digits[4] = 7; })));
    const Reading &r = Reading::current();
    QCOMPARE(r.functionText, QStringLiteral("CAP"));
    QCOMPARE(r.range, 5);
    QCOMPARE(r.unitText, QStringLiteral("mF"));
    QCOMPARE(r.valueText, QStringLiteral("0.0007"));
    QCOMPARE(changed.count(), 2);
}

void TestCommunication::overloadNumbers_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("range");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("bar");

    QTest::newRow("DCV 1") << 2 << 1 << false << "O.L  " << 23.0 << 23.0;
    QTest::newRow("DCV 3 negative") << 2 << 3 << true << "OL . " << -1100.0 << 11.0;
    QTest::newRow("celsius") << 10 << 0 << false << "OL . " << 1100.0 << 11.0;
    QTest::newRow("celsius negative") << 10 << 0 << true << "OL . " << -22.0 << 0.22;
    QTest::newRow("fahrenheit negative, not converted") << 11 << 0 << true << "OL . " << -5.0 << 0.05;
    QTest::newRow("DCV 0") << 2 << 0 << false << ".OL  " << 2.3 << 23.0;
    QTest::newRow("ohm 0") << 4 << 0 << false << "OL.  " << 230.0 << 23.0;
}

void TestCommunication::overloadNumbers()
{
    QFETCH(int, index);
    QFETCH(int, range);
    QFETCH(bool, negative);
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(double, bar);

    Communication link;
    QVERIFY(feed(link, frameFor(index, range, 0, [&](Fields &f) {
        f.overload = true;
        f.negative = negative;
    })));
    const Reading &r = Reading::current();
    QCOMPARE(r.valueText, text);
    QVERIFY(r.valueText.contains(QLatin1Char('L')));
    QCOMPARE(r.value, value);
    QCOMPARE(r.barValue, bar);
    QCOMPARE(r.negative, negative);
}

void TestCommunication::convertsToFahrenheit_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("negativeIn");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("negativeOut");

    QTest::newRow("25.0 C") << 250 << false << "77.0" << 77.0 << false;
    QTest::newRow("-10.0 C") << 100 << true << "14.0" << 14.0 << false;
    QTest::newRow("-50.0 C") << 500 << true << "58.0" << -58.0 << true;
    QTest::newRow("0 C") << 0 << false << "32.0" << 32.0 << false;
}

void TestCommunication::convertsToFahrenheit()
{
    QFETCH(int, count);
    QFETCH(bool, negativeIn);
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, negativeOut);

    Communication link;
    QVERIFY(feed(link, frameFor(11, 0, count, [&](Fields &f) { f.negative = negativeIn; })));
    const Reading &r = Reading::current();
    QCOMPARE(r.unitText, QString(QChar(0x2109)));
    QCOMPARE(r.valueText, text);
    QCOMPARE(r.value, value);
    QCOMPARE(r.negative, negativeOut);
    QVERIFY(!r.manualRange);
}

void TestCommunication::keepsBarValueWithoutDecimals()
{
    Communication link;
    const Reading &r = Reading::current();
    QVERIFY(feed(link, frameFor(2, 1, 1500)));
    QCOMPARE(r.barValue, 1.5);
    QVERIFY(feed(link, frameFor(8, 2, 12345)));
    QCOMPARE(r.unitText, QString());
    QCOMPARE(r.valueText, QStringLiteral("12345"));
    QCOMPARE(r.value, 12345.0);
    QCOMPARE(r.barValue, 1.5);
}

void TestCommunication::negativeReadingHasNoSignInText()
{
    Communication link;
    QVERIFY(feed(link, frameFor(14, 1, 4321, [](Fields &f) { f.negative = true; })));
    const Reading &r = Reading::current();
    QCOMPARE(r.valueText, QStringLiteral("43.21"));
    QCOMPARE(r.value, -43.21);
    QCOMPARE(r.barValue, 4.321);
    QVERIFY(r.negative);
}

void TestCommunication::topResistanceRangeRoundsHalfUp_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    // Rounded from the count, never from a binary fraction just below the half.
    QTest::newRow("35") << 35 << "0.4";
    QTest::newRow("95 carries into the units") << 95 << "1.0";
    QTest::newRow("16385") << 16385 << "163.9";
    QTest::newRow("12346") << 12346 << "123.5";
    QTest::newRow("12344 rounds down") << 12344 << "123.4";
}

void TestCommunication::topResistanceRangeRoundsHalfUp()
{
    QFETCH(int, count);
    QFETCH(QString, text);
    Communication link;
    const Reading &r = Reading::current();
    QVERIFY(feed(link, frameFor(4, 6, count, [](Fields &f) { f.negative = true; })));
    QCOMPARE(r.valueText, text);
    QCOMPARE(r.value, -count / 100.0);
}

void TestCommunication::takesDigitNibblesAsTheyAre()
{
    Communication link;
    QVERIFY(feed(link, frameFor(8, 2, 0, [](Fields &f) { f.digits[3] = 15; f.digits[4] = 12; })));
    QCOMPARE(Reading::current().value, 162.0);
}

void TestCommunication::detectsFunctionAndRangeChanges()
{
    Communication link;
    QSignalSpy changed(&link, &Communication::signal_funcRangeChange);
    struct Step
    {
        QByteArray frame;
        int emitted;
    };
    const Step steps[] = {
        {frameFor(2, 1, 100), 1},     // the first frame always reports
        {frameFor(2, 1, 200), 0},     // same function and range
        {frameFor(2, 2, 200), 1},     // range only
        {frameFor(3, 2, 200), 1},     // function only
        {frameFor(7, 0, 1), 1},       // both
        {rawFrame(0x3, 9), 0},        // outside the table: ignored
        {frameFor(7, 0, 2), 0},       // still the same as before the ignored frame
    };
    for (const Step &step : steps) {
        changed.clear();
        feed(link, step.frame);
        QCOMPARE(changed.count(), step.emitted);
    }
}

void TestCommunication::extractsTheNewestFrame_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("decoded");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("left");

    const QByteArray a = frameFor(2, 1, 111);
    const QByteArray b = frameFor(2, 1, 222);
    QByteArray lineFeed = a;
    lineFeed[13] = '\x0A';
    QTest::newRow("one frame waits") << a << false << -1 << a;
    QTest::newRow("one frame and a byte") << a + "x" << true << 111 << QByteArray("x");
    QTest::newRow("two frames") << a + b << true << 222 << QByteArray();
    QTest::newRow("partial frame after") << a + b.left(5) << true << 111 << b.left(5);
    QTest::newRow("older frames dropped") << QByteArray("junk") + a + b + a + "xy" << true << 111
                                          << QByteArray("xy");
    QTest::newRow("0D 0A is no terminator") << lineFeed + "xyz" << false << -1 << lineFeed + "xyz";
    QTest::newRow("no terminator") << QByteArray(40, '\x0D') << false << -1 << QByteArray(40, '\x0D');
    QTest::newRow("early terminator dropped") << a.right(7) + "0123456789" << false << -1
                                              << QByteArray("0123456789");
    QTest::newRow("terminator one byte short") << a.right(13) + "0123" << false << -1 << QByteArray("0123");
}

void TestCommunication::extractsTheNewestFrame()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, decoded);
    QFETCH(int, count);
    QFETCH(QByteArray, left);

    Communication link;
    link.appendReceived(bytes);
    QCOMPARE(link.takeLatestFrame(), decoded);
    QCOMPARE(link.receivedBytes(), left);
    if (decoded)
        QCOMPARE(Reading::current().value, count / 1000.0);
    else
        QCOMPARE(Reading::current().valueText, QStringLiteral("8.000"));
}

void TestCommunication::ignoresFramesOutsideTheTable_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("first");

    QTest::newRow("first frame, unknown code") << rawFrame(0x7, 0) << true;
    QTest::newRow("diode range 1") << rawFrame(0x1, 1) << false;
    QTest::newRow("celsius range 2") << rawFrame(0x4, 2) << false;
    QTest::newRow("DCA range 1") << rawFrame(0x0, 1) << false;
    QTest::newRow("DCV range 5") << rawFrame(0xB, 5) << false;
    QTest::newRow("ohm range 7") << rawFrame(0x3, 7) << false;
    QTest::newRow("cap range 8") << rawFrame(0x6, 8) << false;
    QTest::newRow("freq range 15") << rawFrame(0x2, 15) << false;
    QTest::newRow("DCmA range 2") << rawFrame(0xF, 2) << false;
    QTest::newRow("unknown code, range past previous row") << rawFrame(0xE, 2) << false;
}

void TestCommunication::ignoresFramesOutsideTheTable()
{
    QFETCH(QByteArray, frame);
    QFETCH(bool, first);

    Communication link;
    const Reading &r = Reading::current();
    // Set flags opposite to those of the bad frame (which has ac/frequency
    // bits from its own fields), so any partial write would show.
    if (!first) {
        QVERIFY(feed(link, frameFor(16, 0, 777, [](Fields &f) {
            f.hold = f.max = f.negative = f.lowBattery = true;
            f.autoRange = false;
        })));
    }
    const QString text = r.valueText;
    const int index = r.functionIndex;
    const double value = r.value;
    const bool hold = r.hold, max = r.max, negative = r.negative, lowBattery = r.lowBattery,
               manual = r.manualRange;

    QSignalSpy changed(&link, &Communication::signal_funcRangeChange);
    link.appendReceived(QByteArray(1, 'x') + frame + "ab");
    QVERIFY(!link.takeLatestFrame());
    QCOMPARE(link.receivedBytes(), QByteArray("ab"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(r.valueText, text);
    QCOMPARE(r.functionIndex, index);
    QCOMPARE(r.value, value);
    QCOMPARE(r.hold, hold);
    QCOMPARE(r.max, max);
    QCOMPARE(r.negative, negative);
    QCOMPARE(r.lowBattery, lowBattery);
    QCOMPARE(r.manualRange, manual);

    // The remembered function and range are untouched too: the function from
    // before the ignored frame is no change.
    if (!first) {
        QVERIFY(feed(link, frameFor(16, 0, 5)));
        QCOMPARE(changed.count(), 0);
    }
}

void TestCommunication::boundKeepsDecodingIdentical_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<bool>("decoded");
    QTest::addColumn<int>("count");

    const QByteArray frame = frameFor(12, 1, 4242);
    QByteArray manyFrames;
    for (int i = 0; i < 700; ++i)
        manyFrames += frameFor(12, 1, i);

    QTest::newRow("frame, then noise byte by byte")
        << QList<QByteArray>{frame} + [] {
               QList<QByteArray> bytes;
               const QByteArray n = noise(6000, 1);
               for (char c : n)
                   bytes << QByteArray(1, c);
               return bytes;
           }()
        << true << 4242;
    QTest::newRow("frame, then noise in big chunks")
        << QList<QByteArray>{noise(3000, 2), frame, noise(5000, 3), noise(7, 4), noise(9000, 5)} << true << 4242;
    QTest::newRow("many frames in one chunk") << QList<QByteArray>{manyFrames} << true << 699;
    QTest::newRow("frame ends the chunk") << QList<QByteArray>{noise(5000, 6) + frame} << true << 4242;
    QTest::newRow("frame ends the chunk exactly at the bound")
        << QList<QByteArray>{noise(Communication::receiveBufferLimit - 13, 7) + frame} << true << 4242;
    QTest::newRow("only noise") << QList<QByteArray>{noise(5000, 8), noise(5000, 9)} << false << 0;
    QTest::newRow("early terminator, then noise")
        << QList<QByteArray>{frame.right(5) + noise(5000, 10)} << false << 0;
    QTest::newRow("frame split by a large chunk")
        << QList<QByteArray>{noise(5000, 11) + frame.left(13), QByteArray(1, frame.at(13)) + "z"} << true
        << 4242;
}

void TestCommunication::boundKeepsDecodingIdentical()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(bool, decoded);
    QFETCH(int, count);

    Communication link;
    QByteArray unbounded;
    for (const QByteArray &chunk : chunks) {
        link.appendReceived(chunk);
        unbounded += chunk;
        QVERIFY(link.receivedBytes().size() <= Communication::receiveBufferLimit);
    }
    QVERIFY(unbounded.size() > Communication::receiveBufferLimit);
    // What follows the newest frame is kept as far as a later frame can need it.
    QVERIFY(unbounded.endsWith(link.receivedBytes().right(14)));
    QCOMPARE(link.takeLatestFrame(), decoded);
    if (decoded)
        QCOMPARE(Reading::current().value, count / 10.0);
    else
        QCOMPARE(Reading::current().functionIndex, -1);

    // Decoding goes on as usual afterwards.
    link.appendReceived(frameFor(12, 0, 5) + "q");
    QVERIFY(link.takeLatestFrame());
    QCOMPARE(Reading::current().valueText, QStringLiteral("0.05"));
}

void TestCommunication::receivesBytesFromPseudoTerminal()
{
    PseudoTerminal pty;
    QVERIFY(pty.isOpen());
    Communication link;
    QVERIFY(link.openPort(pty.slavePath(), 19230));
    QVERIFY(link.isPortOpen());

    const QByteArray first = frameFor(2, 2, 12345);
    QVERIFY(pty.write(first));
    QTRY_COMPARE_WITH_TIMEOUT(link.receivedBytes(), first, 10000);
    QCOMPARE(Reading::current().functionIndex, -1); // nothing is decoded on arrival

    // Re-opening keeps what was received before in front of what follows.
    QVERIFY(link.openPort(pty.slavePath(), 19230));
    QVERIFY(pty.write("z"));
    QTRY_COMPARE_WITH_TIMEOUT(link.receivedBytes(), first + "z", 10000);
    QVERIFY(link.takeLatestFrame());
    QCOMPARE(Reading::current().valueText, QStringLiteral("123.45"));
}

void TestCommunication::portThatCannotOpenSaysWhy_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("mode");   // of a device file made for the row
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("advice");   // after the reason; empty: nothing
    QTest::newRow("missing path") << "missing" << 0 << "No such file or directory" << "";
    QTest::newRow("directory") << "directory" << 0 << "Is a directory" << "";
    QTest::newRow("another user's terminal") << "foreign terminal" << 0 << "Permission denied" << "by root with mode 6";
    QTest::newRow("listed name, group may use it") << "listed" << 0660 << "Permission denied" << "group dialout; join";
    QTest::newRow("listed name, group may read") << "listed" << 0640 << "Permission denied" << "by root with mode 640";
}

void TestCommunication::portThatCannotOpenSaysWhy()
{
    QFETCH(QString, kind);
    QFETCH(int, mode);
    QFETCH(QString, reason);
    QFETCH(QString, advice);
    PseudoTerminal pty;
    QTemporaryDir dir;
    QString path = pty.slavePath();
    QString device;   // owned by root and the group dialout
    if (kind == "missing") {
        path = dir.filePath("ttyUSB9");
    } else if (kind == "directory") {
        path = dir.path();
    } else if (mode != 0) {
        const group *dialout = getgrnam("dialout");
        if (geteuid() != 0 || !dialout)
            QSKIP("device files of another owner need root and the group dialout");
        path = QStringLiteral("quorvane-test-%1").arg(getpid());   // in /dev, not the working folder
        device = "/dev/" + path;
        QVERIFY(QFile(device).open(QIODevice::WriteOnly)
                && ::chown(QFile::encodeName(device).constData(), 0, dialout->gr_gid) == 0
                && ::chmod(QFile::encodeName(device).constData(), mode_t(mode)) == 0);
    }
    const auto removeDevice = qScopeGuard([&device] { QFile::remove(device); });
    const bool denied = reason == "Permission denied";
    Communication link;
    // A port that was open is closed by the failed attempt. (Not for denied
    // devices: a lock file made as root would outlive the switch.)
    if (!denied)
        QVERIFY(link.openPort(pty.slavePath(), 19230));
    // Root opens every device: it takes an ordinary user; an ordinary user
    // has its own terminal taken away.
    if (kind == "foreign terminal" && geteuid() != 0)
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
    QScopedPointer<OrdinaryUser> user(denied ? new OrdinaryUser : nullptr);
    if (user && !user->isActive())
        QSKIP(qPrintable("cannot test as an ordinary user: " + user->errorString()));
    const bool opened = link.openPort(path, 19230);
    user.reset();
    QVERIFY(!opened);
    QVERIFY(!link.isPortOpen());
    QVERIFY(!link.takeLatestFrame());
    // The device's group is named only where joining it gives access.
    const QString said = "Cannot open " + path + ": " + reason;
    const QString error = link.portError();
    QVERIFY2(advice.isEmpty() ? error == said : error.startsWith(said) && (error.contains(advice) || geteuid() != 0),
             qPrintable(error));
}

void TestCommunication::hangUpClosesPort()
{
    PseudoTerminal pty;
    Communication link;
    QVERIFY(link.openPort(pty.slavePath(), 19230));
    QVERIFY(pty.write("abc"));
    QTRY_COMPARE_WITH_TIMEOUT(link.receivedBytes(), QByteArray("abc"), 10000);
    pty.closeMaster();
    QTRY_VERIFY_WITH_TIMEOUT(!link.isPortOpen(), 10000);
    QCOMPARE(link.receivedBytes(), QByteArray("abc"));
}

void TestCommunication::watchdogRepeatsWhileSilent()
{
    Communication link;
    QSignalSpy silence(&link, &Communication::signal_timer);
    QElapsedTimer clock;
    link.startWatchdog();
    clock.start();
    QVERIFY(silence.wait(15000));
    const qint64 first = clock.elapsed();
    QVERIFY2(first >= 4990 && first <= 5500, qPrintable(QString::number(first)));
    // The repeat is scheduled from the first timeout, not from when it was seen.
    QVERIFY(silence.wait(15000));
    QVERIFY2(clock.elapsed() >= 9990, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(silence.count(), 2);
}

void TestCommunication::watchdogStartsAndRestartsWithChunks()
{
    PseudoTerminal pty;
    Communication link;
    QSignalSpy silence(&link, &Communication::signal_timer);
    QVERIFY(link.openPort(pty.slavePath(), 19230));

    // No startWatchdog(): the first chunk starts it, every chunk restarts it.
    QElapsedTimer sinceLastChunk;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(pty.write("x"));
        sinceLastChunk.start();
        QTRY_COMPARE_WITH_TIMEOUT(link.receivedBytes().size(), i + 1, 10000);
        if (i < 2)
            QTest::qWait(2000);
    }
    QCOMPARE(silence.count(), 0);
    QVERIFY(silence.wait(15000));
    const qint64 silent = sinceLastChunk.elapsed();
    QVERIFY2(silent >= 4990 && silent <= 5500, qPrintable(QString::number(silent)));
}

QUORVANE_TEST(TestCommunication);
#include "tst_communication.moc"
