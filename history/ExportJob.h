#ifndef EXPORTJOB_H
#define EXPORTJOB_H

#include <QCoreApplication>
#include <QString>

#include <functional>

class ExportRows;

// What the text export, the workbook and the printed pages share: the rows,
// one progress report that can cancel, and why the last run failed.
class ExportJob
{
    Q_DECLARE_TR_FUNCTIONS(ExportJob)
public:
    enum class Failure { None, Open, Write, Cancelled };
    // Told rowsDone of rowCount now and then; false cancels the run.
    using Progress = std::function<bool(int rowsDone, int rowCount)>;

    explicit ExportJob(const ExportRows *rows);

    void setProgress(Progress progress);
    Failure failure() const;
    QString errorString() const;

protected:
    int rowCount() const;
    int columnCount() const;
    // Passes progress on; false, failed as Cancelled, when the user stopped.
    bool report(int rowsDone);
    void clearFailure();
    bool fail(Failure failure, const QString &text);
    bool isCancelled() const;

    const ExportRows *rows;

private:
    Progress progress;
    Failure lastFailure = Failure::None;
    QString lastError;
};

#endif
