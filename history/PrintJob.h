#ifndef PRINTJOB_H
#define PRINTJOB_H

#include <QObject>
#include <QString>

#include <memory>

class QProcess;
class QTemporaryFile;
class QTimer;

// One set of printed pages on its way to the print system: lp runs while the
// program keeps working, and finished() tells its answer. A job still
// pending when it is destroyed (the program quits) is kept: the destructor
// waits up to handOverMs for lp to hand it over, without telling anyone.
class PrintJob : public QObject
{
    Q_OBJECT
public:
    static const int handOverMs = 10000;

    // The job takes the pages over and removes them when it goes.
    PrintJob(const QString &printer, std::unique_ptr<QTemporaryFile> pages, const QString &title,
             int timeoutMs, QObject *parent = nullptr);
    ~PrintJob() override;

    // False with errorString() when lp cannot start; no signal follows then.
    bool start();
    QString errorString() const;

signals:
    void finished(bool accepted, const QString &error);

private:
    void lpFinished();

    QString printer;
    std::unique_ptr<QTemporaryFile> pages;
    QString title;
    QProcess *lp = nullptr;
    QTimer *deadline;
    QString lastError;
};

#endif
