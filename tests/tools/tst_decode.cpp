#include "meter/FrameEncoder.h"
#include "tests/common/TestRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
using Fields = FrameEncoder::Fields;

QString toolPath()
{
    const QByteArray buildDir = qgetenv("QUORVANE_BUILD_DIR");
    const QString bin = buildDir.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/../../bin")
                                           : QString::fromLocal8Bit(buildDir) + QStringLiteral("/bin");
    return QDir(bin).absoluteFilePath(QStringLiteral("quorvane-decode"));
}

QByteArray frame(int index, int range, int count, void (*tweak)(Fields &) = nullptr)
{
    Fields fields;
    if (!FrameEncoder::fieldsFor(index, range, count, &fields))
        return QByteArray();
    if (tweak)
        tweak(fields);
    return FrameEncoder::encode(fields);
}
}

class TestDecodeTool : public QObject
{
    Q_OBJECT
private slots:
    void decodesACapture_data();
    void decodesACapture();
    void unreadableFileFails();

private:
    QByteArray capture() const;
};

QByteArray TestDecodeTool::capture() const
{
    Fields outside;
    outside.functionCode = 0x1;
    outside.range = 3;
    return QByteArray::fromHex("35 0D 8A 37") // the tail of a frame whose start was missed
           + frame(2, 1, 1234)
           + frame(2, 1, 1234, [](Fields &f) { f.hold = f.negative = true; })
           + FrameEncoder::encode(outside) // not in the table: no line
           + frame(4, 1, 0, [](Fields &f) {
                 f.overload = f.max = f.min = f.relative = f.maxMinBlink = f.lowBattery = true;
                 f.autoRange = false;
             })
           + frame(11, 0, 250)
           + frame(2, 1, 1); // nothing follows it, so it is never decoded
}

void TestDecodeTool::decodesACapture_data()
{
    QTest::addColumn<bool>("fromStandardInput");
    QTest::newRow("file") << false;
    QTest::newRow("standard input") << true;
}

void TestDecodeTool::decodesACapture()
{
    QFETCH(bool, fromStandardInput);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("capture.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(capture());
    file.close();

    QVERIFY2(QFile::exists(toolPath()), qPrintable(toolPath()));
    QProcess tool;
    if (fromStandardInput) {
        tool.setStandardInputFile(path);
        tool.start(toolPath(), QStringList());
    } else {
        tool.start(toolPath(), {path});
    }
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardError(), QByteArray());

    const QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'));
    const QStringList expected = {
        QStringLiteral("function\tvalue\tunit\trange\tdecimals\tnumber\tbar\tplot_max\tplot_min\tflags\tchange"),
        QStringLiteral("DCV\t1.234\tV\t1\t3\t1.234\t1.234\t24\t-24\tAUTO,RS232\t1"),
        QStringLiteral("DCV\t1.234\tV\t1\t3\t-1.234\t1.234\t24\t-24\tAUTO,RS232,HOLD,NEG\t0"),
        QStringLiteral("OHM\t.OL  \tk\u03A9\t1\t4\t2.3\t23\t2.4\t0\tMANU,RS232,REL,BAT,MAX,MIN,BLINK,OL\t1"),
        QStringLiteral("TEMP\t77.0\t\u2109\t0\t1\t77\t0.77\t1900\t-10\tAUTO,RS232\t1"),
        QString(),
    };
    QCOMPARE(lines, expected);
}

void TestDecodeTool::unreadableFileFails()
{
    QTemporaryDir dir;
    QProcess tool;
    tool.start(toolPath(), {dir.filePath(QStringLiteral("missing.bin"))});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 2);
    QCOMPARE(tool.readAllStandardOutput(), QByteArray());
    const QByteArray error = tool.readAllStandardError();
    QVERIFY(error.contains("missing.bin"));
    QCOMPARE(error.count('\n'), 1);
    QVERIFY(error.endsWith('\n'));
}

QUORVANE_TEST(TestDecodeTool);
#include "tst_decode.moc"
