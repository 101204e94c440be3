#ifndef TERMINATIONWATCHER_H
#define TERMINATIONWATCHER_H

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal delivered by the event loop, so
// the program ends through its normal path (links removed, ports closed).
// The handler only writes the signal number to a pipe; one instance at a time.
class TerminationWatcher : public QObject
{
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject *parent = nullptr);
    ~TerminationWatcher() override;

    bool install();

signals:
    void signal_terminate(int signalNumber);

private slots:
    void slot_readPipe();

private:
    QSocketNotifier *notifier = nullptr;
};

#endif
