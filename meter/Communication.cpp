#include "meter/Communication.h"

#include "meter/FunctionTable.h"
#include "meter/Reading.h"

#include <QFile>
#include <QTimer>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace {
const int frameSize = 14;
const int watchdogInterval = 5000;
const char terminator1 = char(0x0D);
const char terminator2 = char(0x8A);

// Position of the second byte of the last 0x0D 0x8A pair, or -1.
int lastTerminator(const QByteArray &bytes)
{
    for (int p = bytes.size() - 1; p >= 1; --p) {
        if (bytes.at(p) == terminator2 && bytes.at(p - 1) == terminator1)
            return p;
    }
    return -1;
}

bool bit(char byte, int n)
{
    return (uchar(byte) >> n) & 1;
}

// The device a port name stands for: like the serial port itself, a bare
// name such as "ttyUSB0" means /dev/ttyUSB0, not a file in the working folder.
QString devicePath(const QString &name)
{
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./"))
        || name.startsWith(QLatin1String("../")))
        return name;
    return QStringLiteral("/dev/") + name;
}
}

const char *const Communication::overloadTexts[5] = {"OL  ", "OL . ", "OL.  ", "O.L  ", ".OL  "};

Communication::Communication(QObject *parent)
    : QThread(parent)
    , serialPort(new QSerialPort(this))
    , watchdog(new QTimer(this))
{
    // A coarse timer may fire up to 5% early; silence must last the full 5 s.
    watchdog->setTimerType(Qt::PreciseTimer);
    connect(serialPort, &QSerialPort::readyRead, this, &Communication::slot_readSerial);
    connect(serialPort, &QSerialPort::errorOccurred, this, &Communication::slot_errorOccurred);
    connect(watchdog, &QTimer::timeout, this, &Communication::signal_timer);
}

bool Communication::openPort(const QString &name, int baudRate)
{
    lastPortError.clear();
    if (serialPort->isOpen())
        serialPort->close();
    serialPort->setPortName(name);
    if (!serialPort->open(QIODevice::ReadWrite))
        return failOpen(name, serialPort->errorString());
    // A setting the driver refuses closes the port through errorOccurred, so
    // it is reported here instead of a port that looks opened.
    const bool configured = serialPort->setBaudRate(baudRate, QSerialPort::AllDirections)
        && serialPort->setDataBits(QSerialPort::Data8) && serialPort->setParity(QSerialPort::NoParity)
        && serialPort->setStopBits(QSerialPort::OneStop)
        && serialPort->setFlowControl(QSerialPort::NoFlowControl) && serialPort->isOpen();
    if (!configured) {
        const QString reason = tr("the line setting %1 baud, 8N1 was refused (%2)")
                                   .arg(baudRate)
                                   .arg(serialPort->errorString());
        if (serialPort->isOpen())
            serialPort->close();
        return failOpen(name, reason);
    }
    return true;
}

bool Communication::failOpen(const QString &name, const QString &reason)
{
    lastPortError = tr("Cannot open %1: %2").arg(name, reason);
    // Access is usually granted by the device's group (dialout for USB
    // adapters on Debian): name it, so the user knows which one to join. A
    // group that may not both read and write the device would not help, so
    // then the owner and the mode are named instead.
    struct stat info;
    if (serialPort->error() != QSerialPort::PermissionError
        || ::stat(QFile::encodeName(devicePath(name)).constData(), &info) != 0)
        return false;
    const group *deviceGroup = ::getgrgid(info.st_gid);
    if (deviceGroup && (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        lastPortError += tr(" (the device belongs to group %1; join it and log in again)")
                             .arg(QString::fromLocal8Bit(deviceGroup->gr_name));
    } else {
        const passwd *owner = ::getpwuid(info.st_uid);
        lastPortError += tr(" (the device is owned by %1 with mode %2, which gives its group no read and write access)")
                             .arg(owner ? QString::fromLocal8Bit(owner->pw_name) : QString::number(info.st_uid))
                             .arg(info.st_mode & 07777, 3, 8, QLatin1Char('0'));
    }
    return false;
}

QString Communication::portError() const
{
    return lastPortError;
}

void Communication::startWatchdog()
{
    watchdog->start(watchdogInterval);
}

bool Communication::isPortOpen() const
{
    return serialPort->isOpen();
}

QByteArray Communication::receivedBytes() const
{
    return receiveBuffer;
}

void Communication::slot_readSerial()
{
    appendReceived(serialPort->readAll());
    if (watchdog->isActive())
        watchdog->stop();
    watchdog->start(watchdogInterval);
}

void Communication::slot_errorOccurred(QSerialPort::SerialPortError error)
{
    // close() on a port that is not open reports NotOpenError, which would
    // come straight back here; a failed open reports its error too.
    if (error != QSerialPort::NoError && serialPort->isOpen())
        serialPort->close();
}

void Communication::appendReceived(const QByteArray &bytes)
{
    receiveBuffer.append(bytes);
    if (receiveBuffer.size() > receiveBufferLimit)
        trimReceiveBuffer();
}

void Communication::trimReceiveBuffer()
{
    // Only the newest complete frame and what follows it can matter to the
    // next take, and of what follows, only the last 13 bytes can belong to a
    // later frame. Keep the frame with one byte before it (so the buffer still
    // holds more than one frame's worth, as it did untrimmed) and at most half
    // the bound of what follows; trimming to half keeps it rare.
    const int p = lastTerminator(receiveBuffer);
    const int following = receiveBuffer.size() - (p + 1);
    QByteArray kept;
    if (p >= frameSize - 1) {
        const int start = qMax(0, p - frameSize);
        kept = receiveBuffer.mid(start, p + 1 - start);
    }
    kept.append(receiveBuffer.right(qMin(following, receiveBufferLimit / 2)));
    receiveBuffer = kept;
}

bool Communication::takeLatestFrame()
{
    if (receiveBuffer.size() <= frameSize)
        return false;
    const int p = lastTerminator(receiveBuffer);
    if (p < 0)
        return false;
    // A terminator with less than a frame before it ends the tail of a frame
    // whose start was never received.
    const bool complete = p >= frameSize - 1;
    const QByteArray frame = complete ? receiveBuffer.mid(p - (frameSize - 1), frameSize) : QByteArray();
    receiveBuffer.remove(0, p + 1);
    return complete && parseFrame(frame);
}

bool Communication::parseFrame(const QByteArray &frame)
{
    const char status = frame.at(7);
    const QByteArray options = frame.mid(8, 4);
    const uchar code = uchar(frame.at(6)) & 0x0F;
    int functionIndex = -1;
    int range = -1;
    // The row is settled before anything is written, so a frame outside the
    // table leaves the reading and the decoder state exactly as they were.
    if (!selectFunction(code, frame.at(0) & 0x0F, bit(status, 3), bit(options.at(2), 2), bit(options.at(2), 0),
                        &functionIndex, &range))
        return false;

    parseOptions(options);
    Reading &reading = Reading::current();
    reading.negative = bit(status, 2);
    reading.lowBattery = bit(status, 1);
    reading.overload = bit(status, 0);
    reading.range = range;
    // The temperature functions have no manual range.
    if (code == 0x4)
        reading.manualRange = false;
    reading.functionIndex = functionIndex;
    reading.functionText = FunctionTable::functionNames.at(functionIndex);
    reading.unitText = FunctionTable::unitTable.at(functionIndex).at(range);
    reading.decimals = FunctionTable::decimalTable.at(functionIndex).at(range);
    const QPair<double, double> &limits = FunctionTable::plotLimitTable.at(functionIndex).at(range);
    reading.plotMax = limits.first;
    reading.plotMin = limits.second;
    parseValue(frame.mid(1, 5));
    return true;
}

void Communication::parseOptions(const QByteArray &options)
{
    Reading &reading = Reading::current();
    reading.max = bit(options.at(0), 3);
    reading.min = bit(options.at(0), 2);
    reading.relative = bit(options.at(0), 1);
    reading.maxMinBlink = bit(options.at(0), 0);
    reading.autoRange = bit(options.at(2), 1);
    reading.manualRange = !reading.autoRange;
    reading.hold = bit(options.at(3), 3);
}

bool Communication::selectFunction(uchar code, int rangeByte, bool alternate, bool ac, bool frequencyMode,
                                   int *functionIndex, int *range) const
{
    int index = Reading::current().functionIndex;
    int r = rangeByte;
    const auto frequencyRule = [&] {
        index = alternate ? 9 : 8;
        if (alternate)
            r = 0;
    };
    switch (code) {
    case 0x0:
        if (frequencyMode)
            frequencyRule();
        else
            index = ac ? 17 : 16;
        break;
    case 0x1:
        index = 5;
        break;
    case 0x2:
        frequencyRule();
        break;
    case 0x3:
        index = 4;
        break;
    case 0x4:
        index = alternate ? FunctionTable::temperatureOther : FunctionTable::temperatureCelsius;
        break;
    case 0x5:
        index = 6;
        break;
    case 0x6:
        index = 7;
        break;
    case 0xB:
        if (frequencyMode) {
            frequencyRule();
        } else if (r == 4) {
            index = ac ? 1 : 0;
            r = 0;
        } else {
            index = ac ? 3 : 2;
        }
        break;
    case 0xD:
        if (frequencyMode)
            frequencyRule();
        else
            index = ac ? 13 : 12;
        break;
    case 0xF:
        if (frequencyMode)
            frequencyRule();
        else
            index = ac ? 15 : 14;
        break;
    default:
        // Unknown codes keep the previous function.
        break;
    }
    if (index < 0 || index >= FunctionTable::functionNames.size()
        || r >= FunctionTable::unitTable.at(index).size())
        return false;
    *functionIndex = index;
    *range = r;
    return true;
}

void Communication::parseValue(const QByteArray &digits)
{
    Reading &reading = Reading::current();
    const int index = reading.functionIndex;
    const int decimals = reading.decimals;
    if (reading.overload) {
        reading.valueText = QString::fromLatin1(overloadTexts[decimals]);
        const bool bySign
            = index == FunctionTable::temperatureCelsius || index == FunctionTable::temperatureOther;
        reading.value
            = FunctionTable::overloadTable.at(index).at(bySign ? (reading.negative ? 1 : 0) : reading.range);
    } else {
        int count = 0;
        for (char digit : digits)
            count = count * 10 + (uchar(digit) & 0x0F);
        // One division by an exact power of ten gives the nearest double.
        static const double powersOfTen[] = {1.0, 10.0, 100.0, 1000.0, 10000.0};
        double magnitude = count / powersOfTen[decimals];
        // The Fahrenheit row receives a Celsius count.
        if (index == FunctionTable::temperatureOther) {
            const double celsius = reading.negative ? -magnitude : magnitude;
            const double fahrenheit = celsius * 1.8 + 32.0;
            reading.negative = fahrenheit < 0;
            magnitude = qAbs(fahrenheit);
            reading.valueText = QString::number(magnitude, 'f', decimals);
        } else {
            // Written from the exact count: a dropped digit is rounded as the
            // meter rounds it, not from the nearest binary fraction.
            reading.valueText = reading.countText(count);
        }
        reading.value = magnitude;
    }
    switch (decimals) {
    case 1:
        reading.barValue = reading.value / 100.0;
        break;
    case 2:
        reading.barValue = reading.value / 10.0;
        break;
    case 3:
        reading.barValue = reading.value;
        break;
    case 4:
        reading.barValue = reading.value * 10.0;
        break;
    default:
        break;
    }
    if (reading.negative)
        reading.value = -reading.value;

    if (reading.functionIndex != lastFunctionIndex) {
        lastFunctionIndex = reading.functionIndex;
        lastRange = reading.range;
        emit signal_funcRangeChange();
    } else if (reading.range != lastRange) {
        lastRange = reading.range;
        emit signal_funcRangeChange();
    }
}
