#include "app/About.h"
#include "tests/app/DialogChecks.h"
#include "tests/common/TestRegistry.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace DialogChecks;

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void showsNameAndVersion();
    void cannotBeResized();
    void endsTheModalLoop_data();
    void endsTheModalLoop();
};

void TestAbout::showsNameAndVersion()
{
    About about(nullptr);
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QVERIFY(hasOnlyCloseButton(about));
    const QList<QLabel *> labels = about.findChildren<QLabel *>();
    QCOMPARE(labels.size(), 3);
    QCOMPARE(labels.at(0)->text(), QStringLiteral("Software name: Quorvane"));
    QCOMPARE(labels.at(1)->text(), QStringLiteral("Software version: V1.0"));
    for (QLabel *label : labels.mid(0, 2)) {
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QCOMPARE(label->styleSheet(), QStringLiteral("font: 13pt"));
    }
    const QList<QPushButton *> buttons = about.findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons.at(0)->text(), QStringLiteral("OK"));
    QCOMPARE(buttons.at(0)->minimumSize(), QSize(75, 41));
    QCOMPARE(buttons.at(0)->maximumSize(), QSize(75, 41));

    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const int nameBottom = labels.at(0)->geometry().bottom();
    QVERIFY(nameBottom < labels.at(1)->geometry().top());
    QVERIFY(labels.at(1)->geometry().bottom() < buttons.at(0)->geometry().top());
}

void TestAbout::cannotBeResized()
{
    About about(nullptr);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.size(), QSize(300, 226));
    about.resize(600, 400);
    QCOMPARE(about.size(), QSize(300, 226));
    QCOMPARE(about.minimumSize(), about.maximumSize());
}

void TestAbout::endsTheModalLoop_data()
{
    QTest::addColumn<bool>("viaOk");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << true << int(QDialog::Accepted);
    QTest::newRow("close button") << false << int(QDialog::Rejected);
}

void TestAbout::endsTheModalLoop()
{
    QFETCH(bool, viaOk);
    QFETCH(int, result);
    About about(nullptr);
    QWidget *seen = nullptr;
    whenModal(&about, [&](QWidget *modal) {
        seen = modal;
        if (viaOk)
            QTest::mouseClick(modal->findChild<QPushButton *>(), Qt::LeftButton);
        else
            modal->close();
    });
    QCOMPARE(about.exec(), result);
    QCOMPARE(seen, &about);
    QVERIFY(!about.isVisible());
}

QUORVANE_TEST(TestAbout);
#include "tst_about.moc"
