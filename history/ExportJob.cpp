#include "history/ExportJob.h"

#include "history/ExportRows.h"

#include <utility>

ExportJob::ExportJob(const ExportRows *rows)
    : rows(rows)
{
}

void ExportJob::setProgress(Progress progress)
{
    this->progress = std::move(progress);
}

ExportJob::Failure ExportJob::failure() const
{
    return lastFailure;
}

QString ExportJob::errorString() const
{
    return lastError;
}

int ExportJob::rowCount() const
{
    return rows ? rows->rowCount() : 0;
}

int ExportJob::columnCount() const
{
    return rows ? rows->columnCount() : 0;
}

bool ExportJob::report(int rowsDone)
{
    if (!progress || progress(rowsDone, rowCount()))
        return true;
    return fail(Failure::Cancelled, tr("The export was cancelled."));
}

void ExportJob::clearFailure()
{
    lastFailure = Failure::None;
    lastError.clear();
}

bool ExportJob::fail(Failure failure, const QString &text)
{
    // A cancel stays the reason even when the stopped writer fails after it.
    if (lastFailure != Failure::Cancelled) {
        lastFailure = failure;
        lastError = text;
    }
    return false;
}

bool ExportJob::isCancelled() const
{
    return lastFailure == Failure::Cancelled;
}
