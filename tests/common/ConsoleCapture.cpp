#include "tests/common/ConsoleCapture.h"

#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace {
QStringList &messages()
{
    static QStringList list;
    return list;
}
}

ConsoleCapture::ConsoleCapture()
{
    messages().clear();
    previous = qInstallMessageHandler(record);
    if (file.open()) {
        std::fflush(stderr);
        savedStderr = dup(STDERR_FILENO);
        dup2(file.handle(), STDERR_FILENO);
    }
}

ConsoleCapture::~ConsoleCapture()
{
    if (savedStderr >= 0) {
        std::fflush(stderr);
        dup2(savedStderr, STDERR_FILENO);
        ::close(savedStderr);
    }
    qInstallMessageHandler(previous);
}

QString ConsoleCapture::text()
{
    std::fflush(stderr);
    file.seek(0);
    return messages().join(QLatin1Char('\n')) + QString::fromLocal8Bit(file.readAll());
}

void ConsoleCapture::record(QtMsgType, const QMessageLogContext &, const QString &message)
{
    messages().append(message);
}
