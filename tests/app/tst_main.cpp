#include "tests/common/TestRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {
QString buildDir()
{
    const QString build = qEnvironmentVariable("QUORVANE_BUILD_DIR");
    return build.isEmpty() ? QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../..")).absolutePath()
                           : build;
}

// A private X server of the given size; the program runs on it as on a desktop
// without a window manager, so its geometry is exactly what it asked for.
class XServer
{
public:
    ~XServer()
    {
        process.terminate();
        process.waitForFinished(5000);
    }

    bool start(int width, int height)
    {
        process.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                       QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                       QStringLiteral("%1x%2x24").arg(width).arg(height)});
        if (!process.waitForStarted(5000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (!process.canReadLine() && clock.elapsed() < 10000 && process.state() == QProcess::Running)
            process.waitForReadyRead(200);
        const QByteArray line = process.readLine().trimmed();
        if (line.isEmpty())
            return false;
        display = QStringLiteral(":") + QString::fromLatin1(line);
        return true;
    }

    QString display;
    QProcess process;
};

// The program's top-level window as the X server sees it: title and geometry.
struct TopLevel
{
    QString title;
    QRect geometry;
};

bool findWindow(const QString &display, TopLevel *window)
{
    QProcess tree;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    tree.setProcessEnvironment(environment);
    tree.start(QStringLiteral("xwininfo"), {QStringLiteral("-display"), display, QStringLiteral("-root"),
                                            QStringLiteral("-children")});
    if (!tree.waitForFinished(5000))
        return false;
    // e.g.  0x1a00007 "Quorvane": ("quorvane" "quorvane")  1092x614+137+77  +137+77
    static const QRegularExpression line(
        QStringLiteral("^\\s*(0x[0-9a-f]+) \"([^\"]+)\": \\(\"quorvane\" \"quorvane\"\\)\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)"),
        QRegularExpression::MultilineOption);
    QRegularExpressionMatchIterator matches = line.globalMatch(QString::fromUtf8(tree.readAllStandardOutput()));
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        QProcess name;
        name.setProcessEnvironment(environment);
        name.start(QStringLiteral("xprop"), {QStringLiteral("-display"), display, QStringLiteral("-id"),
                                             match.captured(1), QStringLiteral("_NET_WM_NAME")});
        if (!name.waitForFinished(5000))
            return false;
        // _NET_WM_NAME(UTF8_STRING) = "..."
        const QString text = QString::fromUtf8(name.readAllStandardOutput()).trimmed();
        const int quote = text.indexOf(QLatin1Char('"'));
        window->title = quote < 0 ? QString() : text.mid(quote + 1).chopped(1);
        window->geometry = QRect(match.captured(5).toInt(), match.captured(6).toInt(), match.captured(3).toInt(),
                                 match.captured(4).toInt());
        return true;
    }
    return false;
}
}

class TestMain : public QObject
{
    Q_OBJECT

private slots:
    void windowSizeAndLanguage_data();
    void windowSizeAndLanguage();
};

void TestMain::windowSizeAndLanguage_data()
{
    QTest::addColumn<QSize>("desktop");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("1920x1080 Chinese") << QSize(1920, 1080) << "zh_CN.UTF-8"
                                       << QString::fromUtf8("Quorvane \u4E07\u7528\u8868\u4E0A\u4F4D\u673A")
                                       << QRect(192, 108, 1536, 864);
    QTest::newRow("2560x1440 German") << QSize(2560, 1440) << "de_DE.UTF-8" << "Quorvane"
                                      << QRect(256, 144, 2048, 1152);
    QTest::newRow("1366x768 English") << QSize(1366, 768) << "en_US.UTF-8" << "Quorvane"
                                      << QRect(137, 77, 1092, 614);
    QTest::newRow("1920x1200 English") << QSize(1920, 1200) << "en_US.UTF-8" << "Quorvane"
                                       << QRect(192, 120, 1536, 960);
}

void TestMain::windowSizeAndLanguage()
{
    QFETCH(QSize, desktop);
    QFETCH(QString, language);
    QFETCH(QString, title);
    QFETCH(QRect, geometry);

    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty())
        QSKIP("needs Xvfb and xwininfo (packages xvfb, x11-utils)");
    XServer server;
    QVERIFY(server.start(desktop.width(), desktop.height()));

    // Started as the run command does: from the bin directory, where
    // "language/" lies.
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), server.display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("LC_ALL"), language);
    environment.insert(QStringLiteral("LANG"), language);
    environment.remove(QStringLiteral("LANGUAGE"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(buildDir() + QStringLiteral("/bin"));
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(buildDir() + QStringLiteral("/bin/quorvane"), QStringList());
    QVERIFY(program.waitForStarted(5000));

    TopLevel window;
    // The window appears, then is resized and centred.
    QTRY_COMPARE_WITH_TIMEOUT((findWindow(server.display, &window), window.geometry), geometry, 15000);
    QCOMPARE(window.title, title);
    QCOMPARE(program.state(), QProcess::Running);
    program.terminate();
    QVERIFY(program.waitForFinished(5000));
}

QUORVANE_TEST(TestMain);
#include "tst_main.moc"
