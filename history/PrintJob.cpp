#include "history/PrintJob.h"

#include "history/TablePrinter.h"

#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>

#include <utility>

PrintJob::PrintJob(const QString &printer, std::unique_ptr<QTemporaryFile> pages, const QString &title,
                   int timeoutMs, QObject *parent)
    : QObject(parent)
    , printer(printer)
    , pages(std::move(pages))
    , title(title)
    , deadline(new QTimer(this))
{
    deadline->setSingleShot(true);
    deadline->setInterval(timeoutMs);
}

PrintJob::~PrintJob()
{
    if (!lp || lp->state() == QProcess::NotRunning)
        return;
    // Nobody is left to tell the outcome to; lp still gets the time to
    // hand the pages over before they go.
    disconnect(lp, nullptr, this, nullptr);
    lp->waitForFinished(qBound(0, deadline->remainingTime(), handOverMs));
    delete lp;
}

bool PrintJob::start()
{
    lp = TablePrinter::startSubmit(printer, pages->fileName(), title, this, &lastError);
    if (!lp)
        return false;
    connect(deadline, &QTimer::timeout, lp, &QProcess::kill);
    connect(lp, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &PrintJob::lpFinished);
    deadline->start();
    return true;
}

QString PrintJob::errorString() const
{
    return lastError;
}

void PrintJob::lpFinished()
{
    const bool answered = deadline->isActive();
    deadline->stop();
    QString job;
    const bool accepted = answered && TablePrinter::accepted(lp, printer, &job, &lastError);
    if (!answered)
        lastError = tr("The print system did not answer within a minute.");
    emit finished(accepted, lastError);
}
