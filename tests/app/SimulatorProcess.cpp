#include "tests/app/SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

SimulatorProcess::~SimulatorProcess()
{
    stop();
}

QString SimulatorProcess::program()
{
    QString build = qEnvironmentVariable("QUORVANE_BUILD_DIR");
    if (build.isEmpty()) {
        // tests/app/<executable> sits two levels below the build directory.
        build = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../..")).absolutePath();
    }
    return build + QStringLiteral("/bin/quorvane-metersim");
}

bool SimulatorProcess::start(const QStringList &arguments)
{
    stop();
    const QString path = program();
    if (!QFileInfo(path).isExecutable()) {
        error = QStringLiteral("not built: ") + path;
        return false;
    }
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(path, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(10000)) {
        error = process.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (!process.canReadLine() && clock.elapsed() < 10000 && process.state() == QProcess::Running)
        process.waitForReadyRead(200);
    if (!process.canReadLine()) {
        error = QStringLiteral("no device path from ") + path;
        stop();
        return false;
    }
    device = QString::fromLocal8Bit(process.readLine()).trimmed();
    return !device.isEmpty();
}

void SimulatorProcess::stop()
{
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    device.clear();
}
