#ifndef SIMULATORPROCESS_H
#define SIMULATORPROCESS_H

#include <QProcess>
#include <QString>
#include <QStringList>

// The built quorvane-metersim on a pseudo-terminal of its own: the real
// meter stand-in for the end-to-end test and the soak run.
class SimulatorProcess
{
public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // Starts it with the given options and waits for the device path it prints.
    bool start(const QStringList &arguments);
    // Ends it as SIGTERM does; the line then goes silent.
    void stop();
    QString devicePath() const { return device; }
    QString errorString() const { return error; }

    // ${QUORVANE_BUILD_DIR}/bin/quorvane-metersim, or beside this executable's build tree.
    static QString program();

private:
    QProcess process;
    QString device;
    QString error;
};

#endif
