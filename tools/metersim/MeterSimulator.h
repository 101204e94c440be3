#ifndef METERSIMULATOR_H
#define METERSIMULATOR_H

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>

class LineNoise;
class VirtualSerialPort;
class QSerialPort;
class QSocketNotifier;
class QTimer;
class Scenario;

// Plays a scenario onto a line at a steady frame rate: a pseudo-terminal of
// its own, or an existing serial device set up as the meter's port.
class MeterSimulator : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString devicePath;     // empty: create a pseudo-terminal
        QString linkPath;       // with a pseudo-terminal: also make this symbolic link to it
        double rate = 2.0;      // frames per second
        qint64 count = 0;       // frames to send; 0 sends until stopped
        QString scenario = QStringLiteral("dc");
        double noise = 0.0;     // chance of stray bytes before a frame
        quint32 seed = 1;
        int framesPerState = 0; // tour: frames per state; 0 chooses from the rate
        bool verbose = false;   // describe every frame on standard error
    };

    // 19230 baud, ten bits a byte on the wire, 14 bytes a frame: 137.357...
    static constexpr double maxRate = 19230.0 / 10.0 / 14.0;
    // The limit as shown to the user, rounded down so that it is accepted.
    static QString maxRateText();
    static constexpr int baudRate = 19230;

    explicit MeterSimulator(const Options &options, QObject *parent = nullptr);
    ~MeterSimulator() override;

    // Checks the options and prepares the scenario; false with errorString() set.
    bool checkOptions();
    // Opens the line (checking the options first if that was not done);
    // false with errorString() set.
    bool open();
    QString portName() const;
    QString errorString() const;

    void start();
    qint64 framesSent() const;
    qint64 framesDropped() const;

    // How many frames the tour holds each state at a rate: enough for a
    // program sampling every 60 ms to see every state several times.
    static int defaultFramesPerState(double rate);

public slots:
    void stop();

signals:
    // After the last frame of --count has been taken by the reader (or a
    // short grace time passed), after stop(), or when the device failed
    // (errorString() then says why).
    void signal_finished();

private slots:
    void slot_tick();
    void slot_linger();

private:
    bool send(const QByteArray &chunk);
    bool drained() const;

    Options settings;
    QString error;
    std::unique_ptr<Scenario> scenario;
    std::unique_ptr<LineNoise> noise;
    std::unique_ptr<VirtualSerialPort> terminal;
    QSerialPort *serial = nullptr;
    QSocketNotifier *masterInput = nullptr;
    QTimer *frameTimer = nullptr;
    QTimer *lingerTimer = nullptr;
    QElapsedTimer clock;
    QElapsedTimer lingerClock;
    double nextDue = 0.0;
    qint64 sent = 0;
    qint64 dropped = 0;
    bool finished = false;
};

#endif
