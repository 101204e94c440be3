#include "meter/FrameEncoder.h"
#include "tests/common/TestRegistry.h"
#include "tools/metersim/VirtualSerialPort.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

class TestVirtualSerialPort : public QObject
{
    Q_OBJECT
private slots:
    void everyByteArrivesUnchanged();
    void fullQueueDropsWholeChunksOnly();
    void programOutputIsDiscarded();
    void linkFollowsTheTerminal();
    void linkLeavesOtherFilesAlone();

private:
    // Reads from fd until `wanted` bytes came or the time is up.
    static QByteArray readAvailable(int fd, int wanted, int timeoutMs);
};

QByteArray TestVirtualSerialPort::readAvailable(int fd, int wanted, int timeoutMs)
{
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    while (bytes.size() < wanted && clock.elapsed() < timeoutMs) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            bytes.append(buffer, int(n));
    }
    return bytes;
}

void TestVirtualSerialPort::everyByteArrivesUnchanged()
{
    VirtualSerialPort terminal;
    QVERIFY2(terminal.open(), qPrintable(terminal.errorString()));
    struct stat info;
    QCOMPARE(stat(QFile::encodeName(terminal.slavePath()).constData(), &info), 0);
    QVERIFY(S_ISCHR(info.st_mode));

    // Carriage return, line feed, interrupt and flow-control characters must
    // reach the reader as they are.
    QByteArray all;
    for (int value = 0; value < 256; ++value)
        all.append(char(value));
    QVERIFY(terminal.send(all));
    QTRY_COMPARE_WITH_TIMEOUT(terminal.unreadBytes(), all.size(), 5000);

    const int fd = ::open(QFile::encodeName(terminal.slavePath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QCOMPARE(readAvailable(fd, all.size(), 5000), all);
    QCOMPARE(terminal.unreadBytes(), 0);
    ::close(fd);
}

void TestVirtualSerialPort::fullQueueDropsWholeChunksOnly()
{
    VirtualSerialPort terminal;
    QVERIFY(terminal.open());
    // Nobody reads: the queue fills, and sending never blocks.
    int dropped = 0;
    int count = 0;
    QElapsedTimer clock;
    clock.start();
    FrameEncoder::Fields fields;
    for (; count < 20000; ++count) {
        QVERIFY(FrameEncoder::fieldsFor(2, 0, count, &fields));
        if (!terminal.send(FrameEncoder::encode(fields)))
            ++dropped;
    }
    QVERIFY(dropped > 0);
    QVERIFY(clock.elapsed() < 20000);

    const int fd = ::open(QFile::encodeName(terminal.slavePath()).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QByteArray stream = readAvailable(fd, 1 << 30, 1000);
    // Once the reader has made room, the next chunk goes out after the rest
    // of any chunk the full queue took only in part.
    QVERIFY(FrameEncoder::fieldsFor(2, 0, count, &fields));
    QVERIFY(terminal.send(FrameEncoder::encode(fields)));
    stream += readAvailable(fd, 1 << 30, 1000);
    ::close(fd);

    QCOMPARE(stream.size() % 14, 0);
    QCOMPARE(stream.size() / 14, count + 1 - dropped);
    int previous = -1;
    for (int at = 0; at < stream.size(); at += 14) {
        const QByteArray frame = stream.mid(at, 14);
        QVERIFY(frame.endsWith("\x0D\x8A"));
        int shown = 0;
        for (int digit = 1; digit <= 5; ++digit)
            shown = shown * 10 + (frame.at(digit) & 0x0F);
        // In order, none twice.
        QVERIFY2(shown > previous, qPrintable(QString::number(at)));
        previous = shown;
    }
    QCOMPARE(previous, count);
}

void TestVirtualSerialPort::programOutputIsDiscarded()
{
    VirtualSerialPort terminal;
    QVERIFY(terminal.open());
    const int fd = ::open(QFile::encodeName(terminal.slavePath()).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "query\r\n", 7), ssize_t(7));
    pollfd p = {terminal.masterDescriptor(), POLLIN, 0};
    QCOMPARE(poll(&p, 1, 5000), 1);
    terminal.discardInput();
    p.revents = 0;
    QCOMPARE(poll(&p, 1, 100), 0);
    ::close(fd);
}

void TestVirtualSerialPort::linkFollowsTheTerminal()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("meter"));
    // A stale link from an earlier run is replaced.
    QVERIFY(QFile::link(QStringLiteral("/dev/nonexistent-meter"), link));

    VirtualSerialPort terminal;
    QVERIFY(terminal.open());
    QVERIFY2(terminal.addLink(link), qPrintable(terminal.errorString()));
    QCOMPARE(QFileInfo(link).symLinkTarget(), terminal.slavePath());
    QVERIFY(QFileInfo(link).isReadable());
    // Adding the same link again keeps it.
    QVERIFY(terminal.addLink(link));
    QCOMPARE(QFileInfo(link).symLinkTarget(), terminal.slavePath());

    terminal.close();
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
}

void TestVirtualSerialPort::linkLeavesOtherFilesAlone()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    VirtualSerialPort terminal;
    QVERIFY(terminal.open());
    QVERIFY(!terminal.addLink(path));
    QVERIFY(!terminal.errorString().isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));

    // A link someone else has since pointed elsewhere is not removed.
    const QString link = dir.filePath(QStringLiteral("meter"));
    QVERIFY(terminal.addLink(link));
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(path, link));
    terminal.close();
    QCOMPARE(QFileInfo(link).symLinkTarget(), QFileInfo(path).canonicalFilePath());
}

QUORVANE_TEST(TestVirtualSerialPort);
#include "tst_virtualserialport.moc"
