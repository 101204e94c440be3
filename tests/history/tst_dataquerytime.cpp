#include "history/DataQueryTime.h"
#include "tests/app/DialogChecks.h"
#include "tests/common/TestRegistry.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace DialogChecks;

class TestDataQueryTime : public QObject
{
    Q_OBJECT
private slots:
    void looksAsBuilt();
    void okChecksTheRange_data();
    void okChecksTheRange();
    void cancelAndCloseKeepTheTimes();
    void timesFitTheirEditors();
};

void TestDataQueryTime::looksAsBuilt()
{
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
    QWidget owner;
    DataQueryTime dialog(&owner);
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(dialog.parentWidget(), &owner);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Historical records query"));
    QVERIFY(hasOnlyCloseButton(dialog));
    QCOMPARE(dialog.styleSheet(), QStringLiteral("font: 14pt"));
    QCOMPARE(dialog.minimumSize(), QSize(350, 180));
    QCOMPARE(dialog.maximumSize(), QSize(350, 180));
    QStringList labels;
    for (QLabel *label : dialog.findChildren<QLabel *>())
        labels << label->text();
    QCOMPARE(labels, QStringList({QStringLiteral("Start Time:"), QStringLiteral("Stop Time:")}));
    const QList<QDateTimeEdit *> edits = dialog.findChildren<QDateTimeEdit *>();
    QCOMPARE(edits.size(), 2);
    for (QDateTimeEdit *edit : edits) {
        QCOMPARE(edit->displayFormat(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QVERIFY(edit->dateTime() >= before && edit->dateTime() <= after);
    }
    // Both show the start-up moment, to the second and nothing hidden below it.
    QCOMPARE(edits.at(0)->dateTime(), edits.at(1)->dateTime());
    QCOMPARE(edits.at(0)->dateTime().time().msec(), 0);
    QCOMPARE(button(dialog, QStringLiteral("OK"))->minimumSize(), QSize(70, 30));
    QCOMPARE(button(dialog, QStringLiteral("Cancel"))->maximumSize(), QSize(70, 30));
}

void TestDataQueryTime::okChecksTheRange_data()
{
    QTest::addColumn<int>("stopAfter");   // seconds from start to stop; 0 = as opened
    QTest::addColumn<bool>("accepted");
    QTest::newRow("equal, as first opened") << 0 << false;
    QTest::newRow("one second apart") << 1 << true;
    QTest::newRow("a day apart") << 86400 << true;
    QTest::newRow("stop before start") << -1 << false;
}

void TestDataQueryTime::okChecksTheRange()
{
    QFETCH(int, stopAfter);
    QFETCH(bool, accepted);
    DataQueryTime dialog(nullptr);
    QList<QDateTimeEdit *> edits = dialog.findChildren<QDateTimeEdit *>();
    const QDateTime start(QDate(2026, 3, 1), QTime(23, 59, 59));
    if (stopAfter != 0) {
        edits.at(0)->setDateTime(start);
        edits.at(1)->setDateTime(start.addSecs(stopAfter));
    }
    const QDateTime shownStart = edits.at(0)->dateTime();
    const QDateTime shownStop = edits.at(1)->dateTime();

    int emitted = 0;
    QDateTime gotStart, gotStop;
    bool visibleInSlot = true;
    connect(&dialog, &DataQueryTime::signal_dataTime, [&](QDateTime &from, QDateTime &to) {
        ++emitted;
        gotStart = from;
        gotStop = to;
        visibleInSlot = dialog.isVisible();
    });
    bool warned = false;
    if (!accepted) {
        whenModal(&dialog, [&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            warned = box && box->windowTitle() == QLatin1String("warning")
                     && box->text() == QLatin1String("The start time cannot be greater than the stop time")
                     && box->parentWidget() == &dialog && !dialog.isVisible();
            modal->close();
        });
    }

    dialog.show();
    QTest::mouseClick(button(dialog, QStringLiteral("OK")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(warned, !accepted);
    QCOMPARE(emitted, accepted ? 1 : 0);
    if (accepted) {
        QCOMPARE(gotStart, shownStart);
        QCOMPARE(gotStop, shownStop);
        QVERIFY(!visibleInSlot);
    }
    // The choice survives for the next showing.
    QCOMPARE(edits.at(0)->dateTime(), shownStart);
    QCOMPARE(edits.at(1)->dateTime(), shownStop);
}

void TestDataQueryTime::cancelAndCloseKeepTheTimes()
{
    DataQueryTime dialog(nullptr);
    int emitted = 0;
    connect(&dialog, &DataQueryTime::signal_dataTime, [&](QDateTime &, QDateTime &) { ++emitted; });
    QList<QDateTimeEdit *> edits = dialog.findChildren<QDateTimeEdit *>();
    const QDateTime start(QDate(2025, 12, 31), QTime(8, 0, 0));
    edits.at(0)->setDateTime(start);
    edits.at(1)->setDateTime(start.addSecs(3600));
    dialog.show();
    QTest::mouseClick(button(dialog, QStringLiteral("Cancel")), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    dialog.show();
    dialog.close();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(emitted, 0);
    QCOMPARE(edits.at(0)->dateTime(), start);
    QCOMPARE(edits.at(1)->dateTime(), start.addSecs(3600));
}

// The fixed dialog must leave both editors room for the whole date and time.
void TestDataQueryTime::timesFitTheirEditors()
{
    DataQueryTime dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QList<QDateTimeEdit *> edits = dialog.findChildren<QDateTimeEdit *>();
    QCOMPARE(edits.size(), 2);
    for (const QDateTimeEdit *edit : edits) {
        QVERIFY2(edit->width() >= edit->sizeHint().width(),
                 qPrintable(QStringLiteral("%1 < %2").arg(edit->width()).arg(edit->sizeHint().width())));
        QVERIFY(edit->geometry().right() < dialog.width());
    }
}

QUORVANE_TEST(TestDataQueryTime);
#include "tst_dataquerytime.moc"
