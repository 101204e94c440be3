#include "app/ComSet.h"
#include "tests/app/DialogChecks.h"
#include "tests/common/TestRegistry.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace DialogChecks;

class TestComSet : public QObject
{
    Q_OBJECT
private slots:
    void looksAsBuilt();
    void listsThePortsPresentAtConstruction();
    void okEmitsTheNameAndHides_data();
    void okEmitsTheNameAndHides();
    void listedNamesFitInTheDialog();
    void cancelAndCloseKeepTheSelection();

private:
    static QComboBox *box(ComSet &dialog) { return dialog.findChild<QComboBox *>(); }
};

void TestComSet::looksAsBuilt()
{
    QWidget owner;
    ComSet dialog(&owner);
    QCOMPARE(dialog.parentWidget(), &owner);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Serial Port Setup"));
    QVERIFY(hasOnlyCloseButton(dialog));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());   // as wide as a typed path needs
    QVERIFY(dialog.width() >= 230 && dialog.height() == 150);
    QCOMPARE(dialog.styleSheet(), QStringLiteral("font: 14pt"));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.findChild<QLabel *>()->text(), QStringLiteral("COM:"));
    QVERIFY(box(dialog)->isEditable());
    QVERIFY(box(dialog)->minimumWidth() >= 70);
    for (const QString &text : {QStringLiteral("OK"), QStringLiteral("Cancel")}) {
        QPushButton *b = button(dialog, text);
        QVERIFY2(b, qPrintable(text));
        QCOMPARE(b->size(), QSize(70, 30));
        QCOMPARE(b->minimumSize(), b->maximumSize());
    }
}

void TestComSet::listsThePortsPresentAtConstruction()
{
    QStringList expected;
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        expected << port.portName();
    ComSet dialog(nullptr);
    QComboBox *combo = box(dialog);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown << combo->itemText(i);
    QCOMPARE(shown, expected);
    for (int i = 0; i < combo->count(); ++i) {
        QVERIFY(combo->itemIcon(i).isNull());
        QVERIFY(!combo->itemData(i).isValid());
    }
}

// A pseudo-terminal stands in for the simulator: the system does not list it,
// so its path has to be typed.
void TestComSet::okEmitsTheNameAndHides_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("listed") << QString();
    QTest::newRow("pseudo-terminal") << QStringLiteral("pty");
    QTest::newRow("by-id link") << QStringLiteral("/dev/serial/by-id/usb-meter-if00-port0");
    QTest::newRow("case differs from a listed name, Enter") << QStringLiteral("case");
}

void TestComSet::okEmitsTheNameAndHides()
{
    QFETCH(QString, typed);
    int master = -1;
    if (typed == QLatin1String("pty")) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        typed = QString::fromLocal8Bit(ptsname(master));
    }
    ComSet dialog(nullptr);
    QSignalSpy spy(&dialog, &ComSet::signal_serialName);
    dialog.show();
    QComboBox *combo = box(dialog);
    QString expected = combo->count() > 0 ? combo->itemText(combo->count() - 1) : QString();
    // Device paths are case-sensitive: Enter must not swap the typed text for
    // a listed name that differs only in case.
    const bool pressEnter = typed == QLatin1String("case");
    if (pressEnter)
        typed = combo->count() > 0 ? combo->itemText(0).toUpper() : QStringLiteral("/dev/TTYUSB0");
    if (typed.isEmpty()) {
        combo->setCurrentIndex(combo->count() - 1);
    } else {
        combo->lineEdit()->clear();
        QTest::keyClicks(combo->lineEdit(), typed);
        if (pressEnter)
            QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        expected = typed;
    }
    // Enter in the box acts as "OK", the dialog's default button.
    if (!pressEnter)
        QTest::mouseClick(button(dialog, QStringLiteral("OK")), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), expected);
    QVERIFY(!dialog.isVisible());
    if (master >= 0)
        ::close(master);
}

void TestComSet::listedNamesFitInTheDialog()
{
    ComSet dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QComboBox *combo = box(dialog);
    const QRect inDialog(combo->mapTo(&dialog, QPoint(0, 0)), combo->size());
    QVERIFY(dialog.rect().contains(inDialog));
    QLabel *label = dialog.findChild<QLabel *>();
    QVERIFY(!QRect(label->mapTo(&dialog, QPoint(0, 0)), label->size()).intersects(inDialog));
    const QFontMetrics metrics = combo->lineEdit()->fontMetrics();
    for (int i = 0; i < combo->count(); ++i)
        QVERIFY2(metrics.horizontalAdvance(combo->itemText(i)) <= combo->lineEdit()->width(),
                 qPrintable(combo->itemText(i)));
}

void TestComSet::cancelAndCloseKeepTheSelection()
{
    ComSet dialog(nullptr);
    QSignalSpy spy(&dialog, &ComSet::signal_serialName);
    QComboBox *combo = box(dialog);
    dialog.show();
    combo->setEditText(QStringLiteral("/dev/ttyACM1"));
    QTest::mouseClick(button(dialog, QStringLiteral("Cancel")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    dialog.show();
    QCOMPARE(combo->currentText(), QStringLiteral("/dev/ttyACM1"));
    dialog.close();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(spy.count(), 0);
    dialog.show();
    QCOMPARE(combo->currentText(), QStringLiteral("/dev/ttyACM1"));
}

QUORVANE_TEST(TestComSet);
#include "tst_comset.moc"
