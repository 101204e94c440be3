#include "app/MineTime.h"
#include "tests/app/DialogChecks.h"
#include "tests/common/TestRegistry.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace DialogChecks;

namespace {
// A check box takes clicks on its box and text only, not on the empty rest of
// its row: click the box itself.
void clickBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(box->height() / 2, box->height() / 2));
}
}

class TestMineTime : public QObject
{
    Q_OBJECT
private slots:
    void startsAutomatic();
    void okSendsTheInterval_data();
    void okSendsTheInterval();
    void checkingAgainKeepsTheText();
    void cancelKeepsTheChange();
    void otherStatesChangeNothing();
    void textsFitTheDialog();
};

void TestMineTime::startsAutomatic()
{
    QWidget owner;
    MineTime dialog(&owner);
    QCOMPARE(dialog.parentWidget(), &owner);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dwell time"));
    QVERIFY(hasOnlyCloseButton(dialog));
    QCOMPARE(dialog.styleSheet(), QStringLiteral("font: 12pt"));
    QCOMPARE(dialog.minimumSize(), QSize(420, 230));
    QCOMPARE(dialog.maximumSize(), QSize(420, 230));
    QCheckBox *check = dialog.findChild<QCheckBox *>();
    QCOMPARE(check->text(), QStringLiteral("Automatic acquisition"));
    QVERIFY(check->isChecked());
    QGroupBox *group = dialog.findChild<QGroupBox *>();
    QCOMPARE(group->title(), QStringLiteral("Manual set"));
    QVERIFY(!group->isCheckable());
    QLineEdit *edit = dialog.findChild<QLineEdit *>();
    QCOMPARE(edit->parentWidget(), group);
    QCOMPARE(edit->text(), QStringLiteral("1"));
    QVERIFY(!edit->isEnabled());
    QCOMPARE(edit->minimumWidth(), 50);
    QCOMPARE(edit->maximumWidth(), 50);
    auto *validator = qobject_cast<const QIntValidator *>(edit->validator());
    QVERIFY(validator);
    QCOMPARE(validator->parent(), edit);
    QCOMPARE(validator->bottom(), 1);
    QCOMPARE(validator->top(), 3600);
    QStringList labels;
    for (QLabel *label : group->findChildren<QLabel *>())
        labels << label->text();
    QCOMPARE(labels, QStringList({QStringLiteral("Time interval of data acquisition:"), QStringLiteral("S"),
                                  QStringLiteral("Note: Time interval of sampling data(1~3600S)")}));
    QCOMPARE(button(dialog, QStringLiteral("OK"))->maximumSize(), QSize(70, 30));
    QCOMPARE(button(dialog, QStringLiteral("Cancel"))->minimumSize(), QSize(70, 30));
    QCOMPARE(dialog.timeInterval(), 60);
}

// Typed through the keyboard, so the validator has its say as with a user.
void TestMineTime::okSendsTheInterval_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("interval");
    QTest::newRow("5 s") << "5" << "5" << 5000;
    QTest::newRow("1 s") << "1" << "1" << 1000;
    QTest::newRow("3600 s") << "3600" << "3600" << 3600000;
    QTest::newRow("empty") << "" << "" << 60;
    QTest::newRow("zero") << "0" << "0" << 60;
    QTest::newRow("letters refused") << "ab" << "" << 60;
    QTest::newRow("past the top refused") << "36001" << "3600" << 3600000;
}

void TestMineTime::okSendsTheInterval()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, interval);
    MineTime dialog(nullptr);
    QSignalSpy spy(&dialog, &MineTime::signal_mineTime);
    dialog.show();
    clickBox(dialog.findChild<QCheckBox *>());
    QLineEdit *edit = dialog.findChild<QLineEdit *>();
    QVERIFY(edit->isEnabled());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
    QTest::mouseClick(button(dialog, QStringLiteral("OK")), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), interval);
    QCOMPARE(dialog.timeInterval(), interval);
    QVERIFY(!dialog.isVisible());
}

void TestMineTime::checkingAgainKeepsTheText()
{
    MineTime dialog(nullptr);
    QSignalSpy spy(&dialog, &MineTime::signal_mineTime);
    dialog.show();
    QCheckBox *check = dialog.findChild<QCheckBox *>();
    QLineEdit *edit = dialog.findChild<QLineEdit *>();
    clickBox(check);
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("10"));
    QCOMPARE(dialog.timeInterval(), 10000);
    clickBox(check);
    QVERIFY(check->isChecked());
    QVERIFY(!edit->isEnabled());
    QCOMPARE(edit->text(), QStringLiteral("10"));
    QTest::mouseClick(button(dialog, QStringLiteral("OK")), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 60);
}

void TestMineTime::cancelKeepsTheChange()
{
    MineTime dialog(nullptr);
    QSignalSpy spy(&dialog, &MineTime::signal_mineTime);
    dialog.show();
    clickBox(dialog.findChild<QCheckBox *>());
    QLineEdit *edit = dialog.findChild<QLineEdit *>();
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("20"));
    QTest::mouseClick(button(dialog, QStringLiteral("Cancel")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(spy.count(), 0);
    QCOMPARE(dialog.timeInterval(), 20000);
    dialog.show();
    dialog.close();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(spy.count(), 0);
    QCOMPARE(edit->text(), QStringLiteral("20"));
}

// Only 0 and 2 are acted on; a partly-checked state leaves the edit alone.
void TestMineTime::otherStatesChangeNothing()
{
    MineTime dialog(nullptr);
    QLineEdit *edit = dialog.findChild<QLineEdit *>();
    dialog.slot_checkState(Qt::PartiallyChecked);
    QVERIFY(!edit->isEnabled());
    dialog.slot_checkState(Qt::Unchecked);
    QVERIFY(edit->isEnabled());
    dialog.slot_checkState(Qt::PartiallyChecked);
    QVERIFY(edit->isEnabled());
    dialog.slot_checkState(Qt::Checked);
    QVERIFY(!edit->isEnabled());
    for (QLabel *label : dialog.findChildren<QLabel *>())
        QVERIFY(label->isEnabled());
}

// The fixed dialog must show every text whole, the long note included.
void TestMineTime::textsFitTheDialog()
{
    MineTime dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
}

QUORVANE_TEST(TestMineTime);
#include "tst_minetime.moc"
