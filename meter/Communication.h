#ifndef COMMUNICATION_H
#define COMMUNICATION_H

#include <QByteArray>
#include <QSerialPort>
#include <QString>
#include <QThread>

class QTimer;

// The one link to the meter: owns the serial port, collects the received
// bytes, watches the line for silence, and decodes the newest complete frame
// into Reading::current() when asked. The thread is never started; the base
// class only serves as the QObject everything hangs on.
class Communication : public QThread
{
    Q_OBJECT
public:
    // While no frame is taken, the receive buffer never holds more bytes than
    // this (about two seconds of the meter's stream); trimming keeps what the
    // next takeLatestFrame() needs.
    static constexpr int receiveBufferLimit = 4096;

    explicit Communication(QObject *parent = nullptr);

    // False when the port cannot be opened or refuses a line setting; the
    // port is then closed and portError() says why.
    bool openPort(const QString &name, int baudRate);
    // One line naming the device and the system's reason, for the user.
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

private slots:
    void slot_readSerial();
    void slot_errorOccurred(QSerialPort::SerialPortError error);

private:
    bool failOpen(const QString &name, const QString &reason);
    void trimReceiveBuffer();
    bool parseFrame(const QByteArray &frame);
    void parseOptions(const QByteArray &options);
    bool selectFunction(uchar code, int rangeByte, bool alternate, bool ac, bool frequencyMode,
                        int *functionIndex, int *range) const;
    void parseValue(const QByteArray &digits);

    QSerialPort *serialPort;
    QByteArray receiveBuffer;
    QTimer *watchdog;
    QString lastPortError;

    // alternate, ac and frequencyMode matter only while one frame's function
    // is selected, so they travel as arguments of selectFunction().
    int lastFunctionIndex = -1;
    int lastRange = -1;
    static const char *const overloadTexts[5];
};

#endif
