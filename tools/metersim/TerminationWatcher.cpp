#include "tools/metersim/TerminationWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int pipeEnds[2] = {-1, -1};

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing useful to do if the pipe is full: a byte is already waiting.
    [[maybe_unused]] const ssize_t ignored = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

const int watchedSignals[] = {SIGINT, SIGTERM};
}

TerminationWatcher::TerminationWatcher(QObject *parent)
    : QObject(parent)
{
}

TerminationWatcher::~TerminationWatcher()
{
    if (!notifier)
        return;
    for (int signalNumber : watchedSignals)
        std::signal(signalNumber, SIG_DFL);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

bool TerminationWatcher::install()
{
    if (notifier || pipeEnds[0] >= 0)
        return false;
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TerminationWatcher::slot_readPipe);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : watchedSignals)
        sigaction(signalNumber, &action, nullptr);
    return true;
}

void TerminationWatcher::slot_readPipe()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(pipeEnds[0], &byte, 1) == 1)
        last = byte;
    if (last != 0)
        emit signal_terminate(last);
}
