#ifndef COMMUNICATION_H
#define COMMUNICATION_H

#include "meter/FrameDecoder.h"

#include <QByteArray>
#include <QSerialPort>
#include <QString>
#include <QThread>

class QTimer;

// The one link to the meter: owns the serial port, hands the received bytes
// to its FrameDecoder, watches the line for silence, and has the newest
// complete frame decoded into Reading::current() when asked. The thread is
// never started; the base class only serves as the QObject everything hangs on.
class Communication : public QThread
{
    Q_OBJECT
public:
    static constexpr int receiveBufferLimit = FrameDecoder::receiveBufferLimit;

    explicit Communication(QObject *parent = nullptr);

    // False when the port cannot be opened or refuses a line setting; the
    // port is then closed and portError() says why.
    bool openPort(const QString &name, int baudRate);
    // One line naming the device and the system's reason, for the user: why
    // the port could not be opened, or why an open port was lost.
    QString portError() const;
    void startWatchdog();
    // True exactly when a frame was decoded into the Reading.
    bool takeLatestFrame();

    // Appends received bytes to the buffer, keeping it within its bound.
    void appendReceived(const QByteArray &bytes);
    QByteArray receivedBytes() const;
    bool isPortOpen() const;

signals:
    void signal_funcRangeChange();
    void signal_timer();
    // The open port failed (the device was removed, or any other error);
    // it is closed now and portError() says why.
    void signal_portLost();

private slots:
    void slot_readSerial();
    void slot_errorOccurred(QSerialPort::SerialPortError error);

private:
    bool failOpen(const QString &name, const QString &reason);

    QSerialPort *serialPort;
    FrameDecoder decoder;
    QTimer *watchdog;
    QString lastPortError;
    QString portPath;
    // Set once openPort() succeeded: errors before that are its own to report.
    bool portReady = false;
};

#endif
