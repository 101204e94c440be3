#include "display/ScaleBar.h"
#include "display/Triangle.h"
#include "tests/common/TestRegistry.h"

#include <QImage>
#include <QLabel>
#include <QFrame>
#include <QTest>

namespace {
const QString markStyle = QStringLiteral(
    "background-color: rgb(0, 255, 0);border-radius: 3px; color: rgb(255, 255, 255);");

int shownCount(const QList<QFrame *> &buttons)
{
    int shown = 0;
    for (const QFrame *button : buttons)
        shown += button->isHidden() ? 0 : 1;
    return shown;
}

bool allShown(const QList<QLabel *> &labels)
{
    for (const QLabel *label : labels) {
        if (label->isHidden())
            return false;
    }
    return true;
}
}

class TestScaleBar : public QObject
{
    Q_OBJECT
private slots:
    void buildsTheMeterScale();
    void startsFullWithArrow();
    void setLevel_data();
    void setLevel();
    void setAllVisible_data();
    void setAllVisible();
    void arrowPaintsGreenWithRedText();
};

void TestScaleBar::buildsTheMeterScale()
{
    ScaleBar bar;
    QCOMPARE(bar.segmentButtons().size(), 45);
    QCOMPARE(bar.dotButtons().size(), 45);
    for (int k = 0; k < 45; ++k) {
        const QFrame *segment = bar.segmentButtons().at(k);
        const int height = k % 10 == 0 ? 25 : (k % 2 == 1 ? 15 : 20);
        QCOMPARE(segment->minimumSize(), QSize(4, height));
        QCOMPARE(segment->maximumSize(), QSize(4, height));
        QCOMPARE(segment->styleSheet(), markStyle);
        const int dot = k % 10 == 0 ? 4 : 2;
        QCOMPARE(bar.dotButtons().at(k)->maximumSize(), QSize(dot, dot));
        QCOMPARE(bar.dotButtons().at(k)->styleSheet(), markStyle);
    }
    QStringList numbers;
    for (const QLabel *label : bar.numberLabels()) {
        numbers << label->text();
        QCOMPARE(label->maximumSize(), QSize(15, 16));
        QCOMPARE(label->styleSheet(), QStringLiteral("color: rgb(0, 255, 0);"));
        // Two-digit numbers must not be clipped by their fixed cell.
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= 15,
                 qPrintable(label->text()));
    }
    QCOMPARE(numbers, (QStringList{"0", "5", "10", "15", "20"}));
    QCOMPARE(bar.arrow()->maximumSize(), QSize(25, 20));

    // Segments stand left to right and share one base line.
    bar.setLevel(50);
    bar.show();
    QApplication::processEvents();
    const QList<QFrame *> &segments = bar.segmentButtons();
    for (int k = 1; k < 45; ++k) {
        QVERIFY(segments.at(k)->x() > segments.at(k - 1)->x());
        QCOMPARE(segments.at(k)->geometry().bottom(), segments.at(0)->geometry().bottom());
    }
    QVERIFY(bar.arrow()->x() > segments.last()->x());
    QVERIFY(bar.dotButtons().first()->y() > segments.first()->geometry().bottom());
}

void TestScaleBar::startsFullWithArrow()
{
    ScaleBar bar;
    QCOMPARE(shownCount(bar.segmentButtons()), 45);
    QCOMPARE(shownCount(bar.dotButtons()), 45);
    QVERIFY(allShown(bar.numberLabels()));
    QVERIFY(!bar.arrow()->isHidden());
}

void TestScaleBar::setLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("segments");
    QTest::addColumn<bool>("arrow");
    QTest::newRow("-1: none") << -1 << 0 << false;
    QTest::newRow("-30: none") << -30 << 0 << false;
    QTest::newRow("0: first segment") << 0 << 1 << false;
    QTest::newRow("10") << 10 << 11 << false;
    QTest::newRow("43") << 43 << 44 << false;
    QTest::newRow("44: full") << 44 << 45 << false;
    QTest::newRow("45: full, no arrow") << 45 << 45 << false;
    QTest::newRow("46: full with arrow") << 46 << 45 << true;
    QTest::newRow("200") << 200 << 45 << true;
}

void TestScaleBar::setLevel()
{
    QFETCH(int, level);
    QFETCH(int, segments);
    QFETCH(bool, arrow);
    for (bool startVisible : {false, true}) {
        ScaleBar bar;
        bar.setAllVisible(startVisible);
        bar.setLevel(level);
        for (int k = 0; k < 45; ++k)
            QCOMPARE(!bar.segmentButtons().at(k)->isHidden(), k < segments);
        QCOMPARE(shownCount(bar.dotButtons()), 45);
        QVERIFY(allShown(bar.numberLabels()));
        QCOMPARE(!bar.arrow()->isHidden(), arrow);
    }
}

void TestScaleBar::setAllVisible_data()
{
    QTest::addColumn<bool>("on");
    QTest::newRow("hidden") << false;
    QTest::newRow("shown") << true;
}

void TestScaleBar::setAllVisible()
{
    QFETCH(bool, on);
    ScaleBar bar;
    bar.setLevel(on ? 3 : 46);
    bar.setAllVisible(on);
    QCOMPARE(shownCount(bar.segmentButtons()), on ? 45 : 0);
    QCOMPARE(shownCount(bar.dotButtons()), on ? 45 : 0);
    for (const QLabel *label : bar.numberLabels())
        QCOMPARE(label->isHidden(), !on);
    QCOMPARE(bar.arrow()->isHidden(), !on);
}

void TestScaleBar::arrowPaintsGreenWithRedText()
{
    Triangle arrow(QStringLiteral("22.5"));
    QCOMPARE(arrow.size(), QSize(25, 20));
    const QImage image = arrow.grab().toImage();
    QCOMPARE(image.pixelColor(1, 18), QColor(0, 255, 0));
    // Outside the arrowhead, top right, nothing is painted green.
    QVERIFY(image.pixelColor(23, 1) != QColor(0, 255, 0));
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += (c.red() > 150 && c.green() < 150 && c.blue() < 100) ? 1 : 0;
        }
    }
    QVERIFY2(red > 3, "the label is drawn in red");
}

QUORVANE_TEST(TestScaleBar);
#include "tst_scalebar.moc"
