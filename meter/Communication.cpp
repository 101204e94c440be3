#include "meter/Communication.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace {
const int watchdogInterval = 5000;

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
    portReady = false;
    if (serialPort->isOpen())
        serialPort->close();
    portPath = name;
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
    portReady = true;
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
    if (error == QSerialPort::NoError || !serialPort->isOpen())
        return;
    const QString reason = serialPort->errorString();
    serialPort->close();
    if (!portReady)
        return;
    portReady = false;
    // A pulled adapter reports a resource error; a line hung up by a device
    // that went away reads nothing, with no reason of its own.
    const bool removed = error == QSerialPort::ResourceError || !QFileInfo::exists(portPath);
    lastPortError = removed ? tr("Meter disconnected: %1 was removed").arg(portPath)
        : tr("Meter disconnected: %1: %2").arg(portPath, reason);
    emit signal_portLost();
}

void Communication::appendReceived(const QByteArray &bytes)
{
    decoder.appendReceived(bytes);
}

QByteArray Communication::receivedBytes() const
{
    return decoder.receivedBytes();
}

bool Communication::takeLatestFrame()
{
    bool changed = false;
    const bool decoded = decoder.takeLatestFrame(&changed);
    if (changed)
        emit signal_funcRangeChange();
    return decoded;
}
