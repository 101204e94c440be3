#ifndef CUPSSERVER_H
#define CUPSSERVER_H

#include <QProcess>
#include <QString>
#include <QStringList>

// A throwaway print server for tests: cupsd with a private configuration,
// reached only through a Unix socket, and one cups-pdf queue as the default
// printer. start() points CUPS_SERVER at it, so Qt's print support and the
// CUPS command-line clients of this process use it. The socket path is the
// same for every start in one process, because the CUPS client library keeps
// the first server it was given.
class CupsServer
{
public:
    CupsServer();
    ~CupsServer();

    bool start();   // false with errorString() when it cannot run here
    void stop();
    QString errorString() const;

    QString printerName() const;
    bool addDefaultPrinter();
    bool removePrinter();
    bool setAccepting(bool accepting);

    // Waits until no job is pending and a PDF whose name holds token, other
    // than those in `earlier`, is in cups-pdf's output directory; returns its
    // path or an empty string.
    QString waitForOutput(const QString &token, int timeoutMs, const QStringList &earlier = QStringList());
    QStringList outputFiles() const;
    QString outputDirectory() const;

    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);

private:
    bool fail(const QString &text);

    QString directory;
    QProcess cupsd;
    bool outputDirectoryExisted = true;
    QString lastError;
};

#endif
