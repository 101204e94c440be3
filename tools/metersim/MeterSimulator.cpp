#include "tools/metersim/MeterSimulator.h"

#include "tools/metersim/LineNoise.h"
#include "tools/metersim/VirtualSerialPort.h"
#include "tools/metersim/Scenario.h"

#include <QSerialPort>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <cmath>

namespace {
// Bytes the serial driver may hold unsent before frames are dropped: about
// half a second of the line, so a stalled line does not pile up memory.
const qint64 maxSerialBacklog = 1024;
// How long the last frames of --count may wait for the reader.
const int lingerLimitMs = 2000;
const int lingerPollMs = 20;
// Noise draws from its own stream, so frames do not depend on --noise.
const quint32 noiseSeedSalt = 0x9E3779B9u;
}

MeterSimulator::MeterSimulator(const Options &options, QObject *parent)
    : QObject(parent), settings(options)
{
    frameTimer = new QTimer(this);
    frameTimer->setSingleShot(true);
    frameTimer->setTimerType(Qt::PreciseTimer);
    connect(frameTimer, &QTimer::timeout, this, &MeterSimulator::slot_tick);
    lingerTimer = new QTimer(this);
    lingerTimer->setInterval(lingerPollMs);
    connect(lingerTimer, &QTimer::timeout, this, &MeterSimulator::slot_linger);
}

MeterSimulator::~MeterSimulator() = default;

QString MeterSimulator::maxRateText()
{
    return QString::number(std::floor(maxRate * 100.0) / 100.0, 'f', 2);
}

int MeterSimulator::defaultFramesPerState(double rate)
{
    return qMax(2, int(std::ceil(rate * 0.3)));
}

bool MeterSimulator::checkOptions()
{
    if (!(settings.rate > 0.0 && settings.rate <= maxRate)) {
        error = QStringLiteral("rate must be above 0 and at most %1 frames per second").arg(maxRateText());
        return false;
    }
    if (settings.count < 0) {
        error = QStringLiteral("count must not be negative");
        return false;
    }
    if (!(settings.noise >= 0.0 && settings.noise <= 1.0)) {
        error = QStringLiteral("noise must be a probability from 0 to 1");
        return false;
    }
    if (settings.framesPerState < 0) {
        error = QStringLiteral("frames per state must not be negative");
        return false;
    }
    if (!settings.devicePath.isEmpty() && !settings.linkPath.isEmpty()) {
        error = QStringLiteral("--link applies only to the simulator's own pseudo-terminal");
        return false;
    }
    const int perState = settings.framesPerState > 0 ? settings.framesPerState
                                                    : defaultFramesPerState(settings.rate);
    scenario.reset(new Scenario(settings.scenario, settings.seed, perState));
    if (!scenario->isValid()) {
        error = QStringLiteral("unknown scenario \"%1\" (known: %2)")
                    .arg(settings.scenario, Scenario::names().join(QStringLiteral(", ")));
        return false;
    }
    noise.reset(new LineNoise(settings.noise, settings.seed ^ noiseSeedSalt));
    return true;
}

bool MeterSimulator::open()
{
    if (!scenario && !checkOptions())
        return false;
    if (settings.devicePath.isEmpty()) {
        terminal.reset(new VirtualSerialPort);
        if (!terminal->open()) {
            error = terminal->errorString();
            return false;
        }
        if (!settings.linkPath.isEmpty() && !terminal->addLink(settings.linkPath)) {
            error = terminal->errorString();
            return false;
        }
        // The program may write to its port; nobody on the meter's side listens.
        masterInput = new QSocketNotifier(terminal->masterDescriptor(), QSocketNotifier::Read, this);
        connect(masterInput, &QSocketNotifier::activated, this, [this] { terminal->discardInput(); });
        return true;
    }

    serial = new QSerialPort(this);
    serial->setPortName(settings.devicePath);
    if (!serial->open(QIODevice::ReadWrite)) {
        error = QStringLiteral("%1: %2").arg(settings.devicePath, serial->errorString());
        return false;
    }
    // The meter's line, set in the same order the program sets its port.
    if (!serial->setBaudRate(baudRate, QSerialPort::AllDirections) || !serial->setDataBits(QSerialPort::Data8)
        || !serial->setParity(QSerialPort::NoParity) || !serial->setStopBits(QSerialPort::OneStop)
        || !serial->setFlowControl(QSerialPort::NoFlowControl)) {
        error = QStringLiteral("%1: %2").arg(settings.devicePath, serial->errorString());
        serial->close();
        return false;
    }
    connect(serial, &QSerialPort::readyRead, serial, [this] { serial->readAll(); });
    // A device that went away (unplugged adapter) ends the run as a failure.
    connect(serial, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError code) {
        if (code != QSerialPort::ResourceError)
            return;
        error = QStringLiteral("%1: %2").arg(settings.devicePath, serial->errorString());
        stop();
    });
    return true;
}

QString MeterSimulator::portName() const
{
    if (terminal)
        return terminal->slavePath();
    return settings.devicePath;
}

QString MeterSimulator::errorString() const
{
    return error;
}

qint64 MeterSimulator::framesSent() const
{
    return sent;
}

qint64 MeterSimulator::framesDropped() const
{
    return dropped;
}

void MeterSimulator::start()
{
    clock.start();
    nextDue = 0.0;
    frameTimer->start(0);
}

void MeterSimulator::stop()
{
    frameTimer->stop();
    lingerTimer->stop();
    if (finished)
        return;
    finished = true;
    emit signal_finished();
}

bool MeterSimulator::send(const QByteArray &chunk)
{
    if (terminal)
        return terminal->send(chunk);
    if (serial->bytesToWrite() > maxSerialBacklog)
        return false;
    return serial->write(chunk) == chunk.size();
}

bool MeterSimulator::drained() const
{
    if (terminal)
        return terminal->unreadBytes() <= 0;
    return serial->bytesToWrite() == 0;
}

void MeterSimulator::slot_tick()
{
    const Scenario::Frame frame = scenario->next();
    // Stray bytes only ever fall between two frames.
    const QByteArray chunk = (sent > 0 ? noise->next() : QByteArray()) + frame.bytes();
    if (!send(chunk))
        ++dropped;
    ++sent;
    if (settings.verbose) {
        QTextStream err(stderr);
        err << "frame " << sent << ": " << frame.label << '\n';
    }
    if (settings.count > 0 && sent >= settings.count) {
        lingerClock.start();
        lingerTimer->start();
        return;
    }
    const double period = 1000.0 / settings.rate;
    const double now = double(clock.nsecsElapsed()) / 1e6;
    nextDue += period;
    // A line cannot send faster than its rate: after a stall, resume the
    // steady pace instead of catching up in a burst.
    if (nextDue < now - period)
        nextDue = now;
    frameTimer->start(qMax(0, int(std::lround(nextDue - now))));
}

void MeterSimulator::slot_linger()
{
    if (drained() || lingerClock.elapsed() >= lingerLimitMs)
        stop();
}
