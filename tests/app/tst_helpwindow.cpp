#include "app/HelpWindow.h"
#include "tests/common/TestRegistry.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestHelpWindow : public QObject
{
    Q_OBJECT
private slots:
    void opensNamedPage_data();
    void opensNamedPage();
    void searchNarrowsContents_data();
    void searchNarrowsContents();
    void missingPagesAreSaid();
    void showForReusesOneWindow();
    void helpIsBuiltInBothLanguages();

private:
    static QString helpDir();
};

QString TestHelpWindow::helpDir()
{
    const QString build = qEnvironmentVariable("QUORVANE_BUILD_DIR");
    return (build.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../..") : build)
        + QStringLiteral("/bin/help");
}

void TestHelpWindow::opensNamedPage_data()
{
    QTest::addColumn<QLocale::Language>("language");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("subdirectory");
    QTest::addColumn<QString>("title");   // empty: no such page
    QTest::newRow("English") << QLocale::English << "port.html" << "" << "Choosing the serial port";
    QTest::newRow("Chinese") << QLocale::Chinese << "port.html" << "/zh_CN" << QString::fromUtf8("选择串口");
    QTest::newRow("Chinese history") << QLocale::Chinese << "history.html" << "/zh_CN"
                                     << QString::fromUtf8("历史窗口");
    QTest::newRow("German reads English") << QLocale::German << "simulator.html" << ""
                                          << "The meter simulator and the run command";
    QTest::newRow("no such page") << QLocale::Chinese << "missing.html" << "/zh_CN" << "";
}

void TestHelpWindow::opensNamedPage()
{
    QFETCH(QLocale::Language, language);
    QFETCH(QString, page);
    QFETCH(QString, subdirectory);
    QFETCH(QString, title);

    HelpWindow window(helpDir(), QLocale(language));
    QCOMPARE(window.pageDirectory(), helpDir() + subdirectory);
    QCOMPARE(window.currentPage(), QStringLiteral("index.html"));
    QCOMPARE(window.findChild<QListWidget *>()->count(), 8);
    QCOMPARE(window.openPage(page), !title.isEmpty());
    if (title.isEmpty()) {
        QCOMPARE(window.currentPage(), QStringLiteral("index.html"));
        return;
    }
    QCOMPARE(window.currentPage(), page);
    QCOMPARE(window.currentTitle(), title);
    // The contents list follows the page, also when a link opened it.
    QCOMPARE(window.findChild<QListWidget *>()->currentItem()->text(), title);
}

void TestHelpWindow::searchNarrowsContents_data()
{
    QTest::addColumn<QLocale::Language>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("English") << QLocale::English << "DIALOUT"
                             << QStringList{"Connecting the meter", "Choosing the serial port"};
    QTest::newRow("Chinese") << QLocale::Chinese << QString::fromUtf8("零调制解调器")
                             << QStringList{QString::fromUtf8("万用表模拟器与运行命令")};
    QTest::newRow("nowhere") << QLocale::English << "zzqx" << QStringList();
}

void TestHelpWindow::searchNarrowsContents()
{
    QFETCH(QLocale::Language, language);
    QFETCH(QString, text);
    QFETCH(QStringList, titles);

    HelpWindow window(helpDir(), QLocale(language));
    auto *contents = window.findChild<QListWidget *>();
    window.findChild<QLineEdit *>()->setText(text);
    QStringList shown;
    for (int row = 0; row < contents->count(); ++row) {
        if (!contents->item(row)->isHidden())
            shown << contents->item(row)->text();
    }
    QCOMPARE(shown, titles);
    // The page holding the text is opened; with none, the page stays.
    QCOMPARE(window.currentTitle(), titles.isEmpty() ? window.findChild<QListWidget *>()->item(0)->text()
                                                     : titles.first());
}

void TestHelpWindow::missingPagesAreSaid()
{
    QTemporaryDir empty;
    HelpWindow window(empty.path(), QLocale(QLocale::Chinese));
    QCOMPARE(window.pageDirectory(), empty.path());
    QVERIFY(!window.openPage(QStringLiteral("index.html")));
    QCOMPARE(window.findChild<QListWidget *>()->count(), 0);
}

void TestHelpWindow::showForReusesOneWindow()
{
    QWidget owner;
    owner.show();
    HelpWindow *first = HelpWindow::showFor(&owner);
    QVERIFY(first->isVisible());
    QVERIFY(first->isWindow());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    first->close();
    QCOMPARE(HelpWindow::showFor(&owner), first);
    QVERIFY(first->isVisible());
    QApplication::setActiveWindow(first);
    QTest::keyClick(first, Qt::Key_Escape);
    QVERIFY(!first->isVisible());
}

// Every page exists in both languages, help.chm holds the English ones, and
// no page links to a file that is not there.
void TestHelpWindow::helpIsBuiltInBothLanguages()
{
    QFile chm(helpDir() + QStringLiteral("/../help.chm"));
    QVERIFY2(chm.open(QIODevice::ReadOnly), qPrintable(chm.fileName()));
    const QByteArray content = chm.readAll();
    QVERIFY(content.size() > 4096);
    QVERIFY(content.startsWith("ITSF"));

    const QStringList pages = QDir(helpDir()).entryList({QStringLiteral("*.html")});
    QCOMPARE(QDir(helpDir() + QStringLiteral("/zh_CN")).entryList({QStringLiteral("*.html")}), pages);
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)\""));
    for (const QString &name : pages) {
        QVERIFY2(content.contains('/' + name.toLatin1()), qPrintable(name));
        for (const QString &directory : {helpDir(), helpDir() + QStringLiteral("/zh_CN")}) {
            QFile page(directory + QLatin1Char('/') + name);
            QVERIFY(page.open(QIODevice::ReadOnly));
            QRegularExpressionMatchIterator targets = link.globalMatch(QString::fromUtf8(page.readAll()));
            while (targets.hasNext()) {
                const QString target = directory + QLatin1Char('/') + targets.next().captured(1);
                QVERIFY2(QFile::exists(target), qPrintable(target));
            }
        }
    }
}

QUORVANE_TEST(TestHelpWindow);
#include "tst_helpwindow.moc"
