#ifndef PSEUDOTERMINAL_H
#define PSEUDOTERMINAL_H

#include <QByteArray>
#include <QString>

// A real pseudo-terminal for tests: the test holds the master side and
// writes to it as the meter would; the code under test opens the slave path
// like any serial port.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isOpen() const;
    QString slavePath() const;
    // Writes all bytes to the master; false on failure or when closed.
    bool write(const QByteArray &bytes);
    // Closes the master, which hangs up the slave side.
    void closeMaster();

private:
    int masterFd = -1;
    QString slave;
};

#endif
