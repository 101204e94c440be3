#include "app/HelpLauncher.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QString>

namespace {
// Desktop files name either the registered type or its older alias.
const char *const HelpMimeTypes[] = {"application/vnd.ms-htmlhelp", "application/x-chm"};
}

void HelpLauncher::open(QObject *parent)
{
    openFrom(QCoreApplication::applicationDirPath(), parent);
}

void HelpLauncher::openFrom(const QString &directory, QObject *parent)
{
    const QString helpFile = directory + QStringLiteral("/help.chm");
    const QString pages = directory + QStringLiteral("/help/index.html");
    if (!QFileInfo::exists(helpFile)) {
        startViewer(pages);
        return;
    }
    QStringList mimeTypes;
    for (const char *type : HelpMimeTypes)
        mimeTypes << QString::fromLatin1(type);
    queryHandler(mimeTypes, helpFile, pages, parent);
}

// xdg-open hands a file without a handler to whatever it finds or to nothing,
// so ask xdg-mime first. The query runs in the background: the window goes on.
void HelpLauncher::queryHandler(const QStringList &mimeTypes, const QString &helpFile,
                                const QString &pages, QObject *parent)
{
    if (mimeTypes.isEmpty()) {
        startViewer(pages);
        return;
    }
    auto *query = new QProcess(parent);
    QObject::connect(query, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), query,
                     [=](int exitCode, QProcess::ExitStatus status) {
                         const QByteArray handler = query->readAllStandardOutput().trimmed();
                         if (status == QProcess::NormalExit && exitCode == 0 && !handler.isEmpty())
                             startViewer(helpFile);
                         else
                             queryHandler(mimeTypes.mid(1), helpFile, pages, parent);
                         query->deleteLater();
                     });
    QObject::connect(query, &QProcess::errorOccurred, query, [=](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        startViewer(pages);
        query->deleteLater();
    });
    query->setProcessChannelMode(QProcess::SeparateChannels);
    query->start(QStringLiteral("xdg-mime"),
                 {QStringLiteral("query"), QStringLiteral("default"), mimeTypes.first()},
                 QIODevice::ReadOnly);
}

void HelpLauncher::startViewer(const QString &path)
{
    // Detached: nothing waits for the viewer, and it stays open if the program ends.
    QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}
