#ifndef CONSOLECAPTURE_H
#define CONSOLECAPTURE_H

#include <QString>
#include <QTemporaryFile>

// Collects, for as long as it lives, what the process writes to stderr and
// every Qt message, so a test can tell that nothing reached the terminal.
class ConsoleCapture
{
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture &) = delete;
    ConsoleCapture &operator=(const ConsoleCapture &) = delete;

    // Everything captured so far.
    QString text();

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QTemporaryFile file;
    int savedStderr = -1;
    QtMessageHandler previous = nullptr;
};

#endif
