#include "meter/Communication.h"
#include "meter/Reading.h"
#include "tests/common/TestRegistry.h"
#include "tools/metersim/LineNoise.h"
#include "tools/metersim/VirtualSerialPort.h"
#include "tools/metersim/Scenario.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// The simulator as a process, read through its pseudo-terminal or a device.
class TestMeterSim : public QObject
{
    Q_OBJECT
private slots:
    void countedFramesArriveAtTheRate();
    void noiseFallsBetweenWholeFrames();
    void signalEndsItCleanly_data();
    void signalEndsItCleanly();
    void writesToAnExistingDevice();
    void aDeviceThatGoesAwayEndsTheRun();
    void theProgramsLinkReadsIt();
    void refusesBadArguments_data();
    void refusesBadArguments();

private:
    static QString program();
    // Starts the simulator and returns the device path it prints.
    static QString startSimulator(QProcess *process, const QStringList &arguments);
    // Reads from fd until `wanted` bytes came, the line closed or the time is
    // up; every read is put in *reads as (ms since start, bytes so far).
    static QByteArray readFrom(int fd, int wanted, int timeoutMs,
                               QVector<QPair<qint64, int>> *reads = nullptr);
    static QByteArray expectedFrames(const QString &scenario, int count, int hold);
};

QString TestMeterSim::program()
{
    QString dir = qEnvironmentVariable("QUORVANE_BUILD_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../..");
    return QDir(dir).filePath(QStringLiteral("bin/quorvane-metersim"));
}

QString TestMeterSim::startSimulator(QProcess *process, const QStringList &arguments)
{
    process->start(program(), arguments);
    if (!process->waitForStarted(10000))
        return QString();
    while (!process->canReadLine()) {
        if (!process->waitForReadyRead(10000))
            return QString();
    }
    return QString::fromLocal8Bit(process->readLine()).trimmed();
}

QByteArray TestMeterSim::readFrom(int fd, int wanted, int timeoutMs, QVector<QPair<qint64, int>> *reads)
{
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    while (bytes.size() < wanted && clock.elapsed() < timeoutMs) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, size_t(qMin<qint64>(sizeof buffer, wanted - bytes.size())));
        if (n <= 0)
            break;
        bytes.append(buffer, int(n));
        if (reads)
            reads->append({clock.elapsed(), bytes.size()});
    }
    return bytes;
}

QByteArray TestMeterSim::expectedFrames(const QString &scenario, int count, int hold)
{
    Scenario frames(scenario, 1, hold);
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += frames.next().bytes();
    return bytes;
}

void TestMeterSim::countedFramesArriveAtTheRate()
{
    const int count = 20;
    const double rate = 20.0;
    QProcess process;
    const QString device = startSimulator(&process, {"--count", QString::number(count), "--rate",
                                                     QString::number(rate), "--scenario", "tour", "--hold", "1"});
    QVERIFY2(device.startsWith(QLatin1String("/dev/")), qPrintable(device));
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QVector<QPair<qint64, int>> reads;
    const QByteArray stream = readFrom(fd, count * 14, 20000, &reads);
    ::close(fd);

    // Exactly the scenario's frames, byte for byte: the tool and this
    // process build the same frames from the same seed.
    QCOMPARE(stream, expectedFrames(QStringLiteral("tour"), count, 1));
    // Paced, not sent in a burst: the frames that came after the first read
    // took about a period each; a loaded machine may only make it slower.
    const int later = (reads.last().second - reads.first().second) / 14;
    QVERIFY2(later >= 5, qPrintable(QString::number(later)));
    const qint64 span = reads.last().first - reads.first().first;
    QVERIFY2(span >= qint64((later - 1) * 1000 / rate * 0.6), qPrintable(QString::number(span)));
    QVERIFY2(span <= 10000, qPrintable(QString::number(span)));

    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TestMeterSim::noiseFallsBetweenWholeFrames()
{
    const int count = 40;
    QProcess process;
    const QString device = startSimulator(&process, {"--count", QString::number(count), "--rate", "100",
                                                     "--scenario", "tour", "--hold", "1", "--noise", "0.5"});
    QVERIFY(!device.isEmpty());
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    // The simulator waits until its last frame has been read, then closes
    // the line, which ends the reading.
    const QByteArray stream = readFrom(fd, 1 << 20, 20000);
    ::close(fd);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);

    Scenario tour(QStringLiteral("tour"), 1, 1);
    int at = 0;
    int noisyGaps = 0;
    for (int i = 0; i < count; ++i) {
        const QByteArray frame = tour.next().bytes();
        const int found = stream.indexOf(frame, at);
        QVERIFY2(found >= 0, qPrintable(QString::number(i)));
        const QByteArray gap = stream.mid(at, found - at);
        QVERIFY(i > 0 || gap.isEmpty());
        QVERIFY(gap.size() <= LineNoise::maxBurst);
        QVERIFY(!gap.contains("\x0D\x8A"));
        noisyGaps += gap.isEmpty() ? 0 : 1;
        at = found + frame.size();
    }
    QCOMPARE(at, stream.size());
    QVERIFY2(noisyGaps >= 5 && noisyGaps <= 35, qPrintable(QString::number(noisyGaps)));
}

void TestMeterSim::signalEndsItCleanly_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestMeterSim::signalEndsItCleanly()
{
    QFETCH(int, signalNumber);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ttyMeter"));
    QProcess process;
    const QString device = startSimulator(&process, {"--rate", "50", "--link", link});
    QVERIFY(!device.isEmpty());
    QCOMPARE(QFileInfo(link).symLinkTarget(), device);

    // Read through the link, as a user of --link would.
    const int fd = ::open(QFile::encodeName(link).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    const QByteArray stream = readFrom(fd, 5 * 14, 10000);
    QCOMPARE(stream, expectedFrames(QStringLiteral("dc"), 5, 1));
    QCOMPARE(process.state(), QProcess::Running);

    QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
    QVERIFY(process.waitForFinished(10000));
    ::close(fd);
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestMeterSim::writesToAnExistingDevice()
{
    // The device is the slave of a pseudo-terminal; its master is the far end.
    VirtualSerialPort line;
    QVERIFY(line.open());
    QProcess process;
    const QString device = startSimulator(&process, {"--device", line.slavePath(), "--count", "4", "--rate", "50"});
    QCOMPARE(device, line.slavePath());
    const QByteArray stream = readFrom(line.masterDescriptor(), 4 * 14, 10000);
    QCOMPARE(stream, expectedFrames(QStringLiteral("dc"), 4, 1));
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
}

void TestMeterSim::aDeviceThatGoesAwayEndsTheRun()
{
    VirtualSerialPort line;
    QVERIFY(line.open());
    QProcess process;
    QVERIFY(!startSimulator(&process, {"--device", line.slavePath(), "--rate", "50"}).isEmpty());
    QCOMPARE(readFrom(line.masterDescriptor(), 2 * 14, 10000).size(), 2 * 14);
    // Hanging up the far end is what an unplugged adapter looks like.
    line.close();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(!process.readAllStandardError().trimmed().isEmpty());
}

void TestMeterSim::theProgramsLinkReadsIt()
{
    QProcess process;
    const QString device = startSimulator(&process, {"--rate", "50"});
    QVERIFY(!device.isEmpty());
    Reading::current().reset();
    {
        Communication link;
        QVERIFY(link.openPort(device, 19230));
        QElapsedTimer clock;
        clock.start();
        bool decoded = false;
        while (!decoded && clock.elapsed() < 10000) {
            QTest::qWait(60);
            decoded = link.takeLatestFrame();
        }
        QVERIFY(decoded);
        const Reading &r = Reading::current();
        QCOMPARE(r.functionText, QStringLiteral("DCV"));
        QCOMPARE(r.range, 0);
        QVERIFY(r.value > 0.5 && r.value < 2.3);
    }
    // The program closing its port does not end the simulator.
    QTest::qWait(100);
    QCOMPARE(process.state(), QProcess::Running);
    process.terminate();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    Reading::current().reset();
}

void TestMeterSim::refusesBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("rate zero") << QStringList{"--rate", "0"} << 2;
    QTest::newRow("rate above the line") << QStringList{"--rate", "137.36"} << 2;
    QTest::newRow("rate not a number") << QStringList{"--rate", "fast"} << 2;
    QTest::newRow("negative count") << QStringList{"--count", "-1"} << 2;
    QTest::newRow("noise above one") << QStringList{"--noise", "1.5"} << 2;
    QTest::newRow("unknown scenario") << QStringList{"--scenario", "sine"} << 2;
    QTest::newRow("unknown option") << QStringList{"--baud", "9600"} << 2;
    QTest::newRow("stray argument") << QStringList{"now"} << 2;
    QTest::newRow("link with device") << QStringList{"--device", "/dev/null", "--link", "/tmp/x"} << 2;
    QTest::newRow("missing device") << QStringList{"--device", "/dev/no-such-meter"} << 1;
}

void TestMeterSim::refusesBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QProcess process;
    process.start(program(), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QVERIFY(!process.readAllStandardError().trimmed().isEmpty());
}

QUORVANE_TEST(TestMeterSim);
#include "tst_metersim.moc"
