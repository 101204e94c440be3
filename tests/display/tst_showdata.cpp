#include "display/DataLabel.h"
#include "display/FuncLabel.h"
#include "display/MinusButton.h"
#include "display/ScaleBar.h"
#include "display/ShowData.h"
#include "display/StateLabel.h"
#include "display/Triangle.h"
#include "display/UnitLabel.h"
#include "meter/Reading.h"
#include "tests/common/TestRegistry.h"

#include <QLabel>
#include <QAccessible>
#include <QFrame>
#include <QTest>

namespace {
const QString litText = QStringLiteral("color: rgb(0, 255, 0);");
const QString darkText = QStringLiteral("color: black");
const QString litBar = QStringLiteral("background-color: rgb(0, 255, 0);");
const QString darkBar = QStringLiteral("background-color: black");
const QStringList statusNames = {"AUTO", "MANU", "RS232", "HOLD", "REL", "BAT"};

StateLabel *indicator(const ShowData &panel, const QString &name)
{
    return panel.findChild<StateLabel *>(name);
}

bool lit(const ShowData &panel, const QString &name)
{
    const QString style = indicator(panel, name)->styleSheet();
    if (style != litText && style != darkText)
        qFatal("unexpected style sheet %s", qPrintable(style));
    return style == litText;
}

bool minusLit(const ShowData &panel)
{
    const QString style = panel.findChild<MinusButton *>()->styleSheet();
    if (style != litBar && style != darkBar)
        qFatal("unexpected style sheet %s", qPrintable(style));
    return style == litBar;
}

QString valueShown(const ShowData &panel)
{
    return panel.findChild<DataLabel *>()->text();
}

void setAllFlags(bool on)
{
    Reading &r = Reading::current();
    r.autoRange = r.manualRange = r.rs232 = r.hold = r.relative = r.lowBattery = on;
    r.max = r.min = r.negative = on;
    r.maxMinBlink = r.overload = false;
}

int segmentsShown(const ScaleBar *bar)
{
    int shown = 0;
    for (const QFrame *segment : bar->segmentButtons())
        shown += segment->isHidden() ? 0 : 1;
    return shown;
}
}

class TestShowData : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startsLikeTheMetersSegmentTest();
    void partsLook_data();
    void partsLook();
    void indicatorsSwitchBetweenTwoStyles();
    void refreshPanel_data();
    void refreshPanel();
    void setDataText_data();
    void setDataText();
    void maxMinFollowFlags();
    void maxMinBlinkInPhaseWithHold();
    void setBarValue_data();
    void setBarValue();
    void barComesBackAfterFrequency();
    void widestReadingsFitThePanel_data();
    void widestReadingsFitThePanel();
};

void TestShowData::init()
{
    Reading::current().reset();
}

void TestShowData::startsLikeTheMetersSegmentTest()
{
    ShowData panel;
    for (const QString &name : statusNames + QStringList{"MAX", "MIN"})
        QVERIFY2(lit(panel, name), qPrintable(name));
    QVERIFY(minusLit(panel));
    QCOMPARE(panel.findChild<FuncLabel *>()->text(), QStringLiteral("DCmV"));
    QCOMPARE(valueShown(panel), QStringLiteral("8.0000"));
    QCOMPARE(panel.findChild<UnitLabel *>()->text(), QStringLiteral("mV"));
    QCOMPARE(panel.size(), QSize(610, 280));
    QCOMPARE(panel.minimumSize(), panel.maximumSize());
    QVERIFY(panel.autoFillBackground());
    QCOMPARE(panel.palette().color(QPalette::Inactive, QPalette::Window), QColor(Qt::black));
    QCOMPARE(panel.palette().color(QPalette::Disabled, QPalette::Window), QColor(Qt::black));
    QCOMPARE(panel.findChild<MinusButton *>()->maximumSize(), QSize(50, 10));
    // Nothing takes the focus or passes for a button with a screen reader.
    for (QWidget *part : panel.findChildren<QWidget *>())
        QVERIFY(!part->focusPolicy() && QAccessible::queryAccessibleInterface(part)->role() != QAccessible::Button);
}

void TestShowData::partsLook_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<int>("pointSize");
    for (const QString &name : statusNames)
        QTest::newRow(qPrintable(name)) << name << 24;
    QTest::newRow("MAX") << "MAX" << 12;
    QTest::newRow("MIN") << "MIN" << 12;
    QTest::newRow("function") << "FuncLabel" << 20;
    QTest::newRow("value") << "DataLabel" << 100;
    QTest::newRow("unit") << "UnitLabel" << 24;
    QTest::newRow("minus") << "MinusButton" << 24;
}

void TestShowData::partsLook()
{
    QFETCH(QString, part);
    QFETCH(int, pointSize);
    ShowData panel;
    QWidget *widget = nullptr;
    if (part == "FuncLabel")
        widget = panel.findChild<FuncLabel *>();
    else if (part == "DataLabel")
        widget = panel.findChild<DataLabel *>();
    else if (part == "UnitLabel")
        widget = panel.findChild<UnitLabel *>();
    else if (part == "MinusButton")
        widget = panel.findChild<MinusButton *>();
    else
        widget = indicator(panel, part);
    QVERIFY(widget);
    QCOMPARE(widget->font().family(), QStringLiteral("Arial"));
    QCOMPARE(widget->font().weight(), 75);
    // Sized in pixels as the point size comes out at 96 dpi, like the panel.
    QCOMPARE(widget->font().pixelSize(), qRound(pointSize * 96 / 72.0));
    QCOMPARE(widget->styleSheet(), part == "MinusButton" ? litBar : litText);
}

void TestShowData::indicatorsSwitchBetweenTwoStyles()
{
    StateLabel label(QStringLiteral("REL"), 24, 75);
    label.setLight(false);
    QCOMPARE(label.styleSheet(), darkText);
    label.setLight(true);
    QCOMPARE(label.styleSheet(), litText);
    QCOMPARE(label.text(), QStringLiteral("REL"));

    MinusButton minus;
    minus.setLight(false);
    QCOMPARE(minus.styleSheet(), darkBar);
    minus.setLight(true);
    QCOMPARE(minus.styleSheet(), litBar);
}

void TestShowData::refreshPanel_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("flag");
    const QStringList names = statusNames + QStringList{"minus"};
    for (int i = 0; i < names.size(); ++i)
        QTest::newRow(qPrintable(names.at(i))) << names.at(i) << i;
}

void TestShowData::refreshPanel()
{
    QFETCH(QString, name);
    QFETCH(int, flag);
    ShowData panel;
    Reading &r = Reading::current();
    bool *const flags[] = {&r.autoRange, &r.manualRange, &r.rs232, &r.hold,
                           &r.relative, &r.lowBattery, &r.negative};
    setAllFlags(false);
    *flags[flag] = true;
    r.functionText = QStringLiteral("OHM");
    r.valueText = QStringLiteral("12.34");
    r.unitText = QStringLiteral("kΩ");
    panel.refreshPanel();

    for (const QString &other : statusNames)
        QCOMPARE(lit(panel, other), other == name);
    QCOMPARE(minusLit(panel), name == QLatin1String("minus"));
    QCOMPARE(panel.findChild<FuncLabel *>()->text(), QStringLiteral("OHM"));
    QCOMPARE(valueShown(panel), QStringLiteral("12.34"));
    QCOMPARE(panel.findChild<UnitLabel *>()->text(), QStringLiteral("kΩ"));
    // MAX, MIN and the bar are not the refresh's business.
    QVERIFY(lit(panel, "MAX") && lit(panel, "MIN"));
    QCOMPARE(segmentsShown(panel.findChild<ScaleBar *>()), 45);
}

void TestShowData::setDataText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("minus");
    QTest::addColumn<QString>("shown");
    QTest::newRow("positive") << "1.234" << false << "1.234";
    QTest::newRow("negative max text") << "-1.500" << true << "1.500";
    QTest::newRow("negative overload") << "-O.L  " << true << "O.L  ";
    QTest::newRow("overload") << "OL.  " << false << "OL.  ";
    QTest::newRow("empty") << "" << false << "";
}

void TestShowData::setDataText()
{
    QFETCH(QString, text);
    QFETCH(bool, minus);
    QFETCH(QString, shown);
    ShowData panel;
    for (bool startLit : {false, true}) {
        Reading::current().negative = startLit;
        panel.refreshPanel();
        panel.setDataText(text);
        QCOMPARE(minusLit(panel), minus);
        QCOMPARE(valueShown(panel), shown);
    }
}

void TestShowData::maxMinFollowFlags()
{
    ShowData panel;
    Reading &r = Reading::current();
    const bool cases[][2] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const auto &c : cases) {
        r.max = c[0];
        r.min = c[1];
        panel.updateMaxMinState();
        QCOMPARE(lit(panel, "MAX"), c[0]);
        QCOMPARE(lit(panel, "MIN"), c[1]);
        QVERIFY(lit(panel, "HOLD"));
    }
}

void TestShowData::maxMinBlinkInPhaseWithHold()
{
    ShowData panel;
    Reading &r = Reading::current();
    setAllFlags(false);
    r.maxMinBlink = true;
    r.hold = true;
    panel.refreshPanel();
    const bool phases[] = {true, false, true, false};
    for (bool phase : phases) {
        panel.updateMaxMinState();
        QCOMPARE(lit(panel, "MAX"), phase);
        QCOMPARE(lit(panel, "MIN"), phase);
        QCOMPARE(lit(panel, "HOLD"), phase);
    }
    // A steady tick in between keeps the phase where it was.
    r.maxMinBlink = false;
    r.max = true;
    panel.updateMaxMinState();
    QVERIFY(lit(panel, "MAX") && !lit(panel, "MIN"));
    r.maxMinBlink = true;
    r.hold = false;
    panel.updateMaxMinState();
    QVERIFY(lit(panel, "MAX") && lit(panel, "MIN"));
    QVERIFY2(!lit(panel, "HOLD"), "HOLD blinks only while it is set");
    panel.updateMaxMinState();
    QVERIFY(!lit(panel, "MAX") && !lit(panel, "MIN"));
}

void TestShowData::setBarValue_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<bool>("overload");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("segments");
    QTest::addColumn<bool>("scale");
    QTest::addColumn<bool>("arrow");
    QTest::newRow("zero") << 2 << false << 0.0 << 1 << true << false;
    QTest::newRow("0.49 truncates") << 2 << false << 0.49 << 1 << true << false;
    QTest::newRow("12.345") << 2 << false << 12.345 << 25 << true << false;
    QTest::newRow("22.0 fills") << 2 << false << 22.0 << 45 << true << false;
    QTest::newRow("22.99 no arrow") << 2 << false << 22.99 << 45 << true << false;
    QTest::newRow("23 arrow") << 2 << false << 23.0 << 45 << true << true;
    QTest::newRow("overload, any value") << 2 << true << 0.0 << 45 << true << true;
    QTest::newRow("CAP") << 7 << false << 5.0 << 0 << false << false;
    QTest::newRow("FREQ") << 8 << false << 5.0 << 0 << false << false;
    QTest::newRow("DUTY overloaded") << 9 << true << 5.0 << 0 << false << false;
    QTest::newRow("TEMP") << 10 << false << 1.0 << 3 << true << false;
}

void TestShowData::setBarValue()
{
    QFETCH(int, function);
    QFETCH(bool, overload);
    QFETCH(double, value);
    QFETCH(int, segments);
    QFETCH(bool, scale);
    QFETCH(bool, arrow);
    ShowData panel;
    Reading::current().functionIndex = function;
    Reading::current().overload = overload;
    panel.setBarValue(value);
    const ScaleBar *bar = panel.findChild<ScaleBar *>();
    QCOMPARE(segmentsShown(bar), segments);
    for (const QLabel *label : bar->numberLabels())
        QCOMPARE(!label->isHidden(), scale);
    for (const QFrame *dot : bar->dotButtons())
        QCOMPARE(!dot->isHidden(), scale);
    QCOMPARE(!bar->arrow()->isHidden(), arrow);
}

void TestShowData::barComesBackAfterFrequency()
{
    ShowData panel;
    Reading::current().functionIndex = 8;
    panel.setBarValue(3.0);
    QCOMPARE(segmentsShown(panel.findChild<ScaleBar *>()), 0);
    Reading::current().functionIndex = 2;
    panel.setBarValue(3.0);
    QCOMPARE(segmentsShown(panel.findChild<ScaleBar *>()), 7);
    QVERIFY(!panel.findChild<ScaleBar *>()->numberLabels().first()->isHidden());
}

void TestShowData::widestReadingsFitThePanel_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("unit");
    QTest::newRow("start-up") << "DCmV" << "8.0000" << "mV";
    QTest::newRow("millivolts") << "DCmV" << "123.45" << "mV";
    QTest::newRow("megahertz") << "FREQ" << "2.1234" << "MHz";
    QTest::newRow("diode") << "DIODE" << "2.1234" << "V";
    QTest::newRow("megohms") << "OHM" << "2.1234" << QString::fromUtf8("M\u03a9");
    QTest::newRow("fahrenheit") << "TEMP" << "1100.0" << QString::fromUtf8("\u2109");
}

// The panel's size is fixed, so the widest function, value and unit texts
// together must still leave the value label room for every digit.
void TestShowData::widestReadingsFitThePanel()
{
    QFETCH(QString, function);
    QFETCH(QString, value);
    QFETCH(QString, unit);
    ShowData panel;
    panel.show();
    Reading &reading = Reading::current();
    reading.functionText = function;
    reading.valueText = value;
    reading.unitText = unit;
    panel.refreshPanel();
    QApplication::processEvents();
    const DataLabel *label = panel.findChild<DataLabel *>();
    QVERIFY(label->geometry().right() < panel.width());
    QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(value),
             qPrintable(QStringLiteral("%1 wide for %2").arg(label->width()).arg(value)));
}

QUORVANE_TEST(TestShowData);
#include "tst_showdata.moc"
