#include "tests/common/CupsServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>

#include <pwd.h>
#include <unistd.h>

namespace {
const char *const Cupsd = "/usr/sbin/cupsd";
const char *const PdfBackend = "/usr/lib/cups/backend/cups-pdf";
const char *const PdfDriver = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
const char *const PdfConfig = "/etc/cups/cups-pdf.conf";
const int StartTimeoutMs = 20000;

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream(&file) << text;
    return file.flush();
}
}

CupsServer::CupsServer()
    : directory(QDir::temp().filePath(QStringLiteral("quorvane-cups-%1").arg(QCoreApplication::applicationPid())))
{
}

CupsServer::~CupsServer()
{
    stop();
}

QString CupsServer::printerName() const
{
    return QStringLiteral("quorvane-pdf");
}

bool CupsServer::start()
{
    stop();
    // cupsd drops to its own user and the cups-pdf backend runs only as root.
    if (geteuid() != 0)
        return fail(QStringLiteral("a private cupsd with the cups-pdf backend needs root"));
    for (const char *path : {Cupsd, PdfBackend, PdfDriver}) {
        if (!QFileInfo::exists(QString::fromLatin1(path)))
            return fail(QStringLiteral("%1 is missing").arg(QString::fromLatin1(path)));
    }
    if (QStandardPaths::findExecutable(QStringLiteral("lpadmin")).isEmpty()
        && !QFileInfo::exists(QStringLiteral("/usr/sbin/lpadmin")))
        return fail(QStringLiteral("lpadmin is missing"));

    QDir(directory).removeRecursively();
    outputDirectoryExisted = QFileInfo::exists(outputDirectory());
    QDir dir;
    for (const char *sub : {"spool", "cache", "state", "log"}) {
        if (!dir.mkpath(directory + QLatin1Char('/') + QLatin1String(sub)))
            return fail(QStringLiteral("cannot create %1").arg(directory));
    }
    // cupsd's own user must reach the spool directory.
    QFile::setPermissions(directory, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                         | QFileDevice::ReadOther | QFileDevice::ExeOther
                                         | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    const QString socket = directory + QStringLiteral("/cups.sock");
    const QString cupsdConf = QStringLiteral(
        "Listen %1\n"
        "LogLevel warn\n"
        "WebInterface No\n"
        "Browsing Off\n"
        "DefaultAuthType None\n"
        "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n").arg(socket);
    const QString filesConf = QStringLiteral(
        "ServerRoot %1\n"
        "RequestRoot %1/spool\n"
        "TempDir %1/spool\n"
        "CacheDir %1/cache\n"
        "StateDir %1/state\n"
        "AccessLog %1/log/access_log\n"
        "ErrorLog %1/log/error_log\n"
        "PageLog %1/log/page_log\n"
        "ServerBin /usr/lib/cups\n"
        "DataDir /usr/share/cups\n"
        "User lp\n"
        "Group lp\n"
        "SystemGroup root\n").arg(directory);
    if (!writeText(directory + QStringLiteral("/cupsd.conf"), cupsdConf)
        || !writeText(directory + QStringLiteral("/cups-files.conf"), filesConf))
        return fail(QStringLiteral("cannot write the cupsd configuration"));

    qputenv("CUPS_SERVER", QFile::encodeName(socket));
    // A user's own default must not win over the test server's.
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");

    cupsd.setProcessChannelMode(QProcess::MergedChannels);
    cupsd.start(QString::fromLatin1(Cupsd),
                {QStringLiteral("-f"), QStringLiteral("-c"), directory + QStringLiteral("/cupsd.conf"),
                 QStringLiteral("-s"), directory + QStringLiteral("/cups-files.conf")});
    if (!cupsd.waitForStarted())
        return fail(QStringLiteral("cupsd did not start: %1").arg(cupsd.errorString()));

    QElapsedTimer timer;
    timer.start();
    QString status;
    while (!run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &status)
           || !status.contains(QLatin1String("is running"))) {
        if (cupsd.state() == QProcess::NotRunning || timer.elapsed() > StartTimeoutMs) {
            const QString log = QString::fromLocal8Bit(cupsd.readAll());
            stop();
            return fail(QStringLiteral("cupsd did not come up: %1").arg(log.trimmed()));
        }
        QTest::qWait(100);
    }
    return addDefaultPrinter() || fail(QStringLiteral("cannot add the cups-pdf queue: %1").arg(lastError));
}

void CupsServer::stop()
{
    if (cupsd.state() != QProcess::NotRunning) {
        cupsd.terminate();
        if (!cupsd.waitForFinished(10000)) {
            cupsd.kill();
            cupsd.waitForFinished();
        }
    }
    QDir(directory).removeRecursively();
    // cups-pdf makes its output directory on first use; take away only an
    // empty one that was not there before.
    if (!outputDirectoryExisted) {
        QDir().rmdir(outputDirectory());
        outputDirectoryExisted = true;
    }
}

bool CupsServer::addDefaultPrinter()
{
    return run(QStringLiteral("lpadmin"),
               {QStringLiteral("-p"), printerName(), QStringLiteral("-E"), QStringLiteral("-v"),
                QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), QString::fromLatin1(PdfDriver)})
        && run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), printerName()});
}

bool CupsServer::removePrinter()
{
    return run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), printerName()});
}

bool CupsServer::setAccepting(bool accepting)
{
    return run(accepting ? QStringLiteral("cupsaccept") : QStringLiteral("cupsreject"), {printerName()});
}

QString CupsServer::outputDirectory() const
{
    // cups-pdf writes into the directory its configuration names, normally
    // ${HOME}/PDF of the job's owner.
    QString out = QStringLiteral("/var/spool/cups-pdf/${USER}");
    QFile config(QString::fromLatin1(PdfConfig));
    if (config.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QRegularExpression line(QStringLiteral("^Out\\s+(\\S.*)$"));
        while (!config.atEnd()) {
            const QRegularExpressionMatch match = line.match(QString::fromLocal8Bit(config.readLine()).trimmed());
            if (match.hasMatch())
                out = match.captured(1).trimmed();
        }
    }
    const passwd *user = getpwuid(geteuid());
    if (user) {
        out.replace(QLatin1String("${HOME}"), QFile::decodeName(user->pw_dir));
        out.replace(QLatin1String("${USER}"), QFile::decodeName(user->pw_name));
    }
    return out;
}

QStringList CupsServer::outputFiles() const
{
    return QDir(outputDirectory()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
}

QString CupsServer::waitForOutput(const QString &token, int timeoutMs, const QStringList &earlier)
{
    QElapsedTimer timer;
    timer.start();
    const QDir out(outputDirectory());
    while (timer.elapsed() < timeoutMs) {
        QString pending;
        const bool idle = run(QStringLiteral("lpstat"), {QStringLiteral("-o"), printerName()}, &pending)
            && pending.trimmed().isEmpty();
        QStringList found = out.entryList({QStringLiteral("*%1*.pdf").arg(token)}, QDir::Files);
        for (const QString &name : earlier)
            found.removeAll(name);
        if (idle && !found.isEmpty())
            return out.filePath(found.first());
        QTest::qWait(200);
    }
    return QString();
}

bool CupsServer::run(const QString &program, const QStringList &arguments, QString *output)
{
    QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(path, arguments);
    const bool finished = process.waitForFinished(30000);
    const QString text = QString::fromLocal8Bit(process.readAll());
    if (output)
        *output = text;
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        lastError = QStringLiteral("%1 failed: %2").arg(program, text.trimmed());
        return false;
    }
    return true;
}

bool CupsServer::fail(const QString &text)
{
    lastError = text;
    return false;
}

QString CupsServer::errorString() const
{
    return lastError;
}
