#ifndef VIRTUALSERIALPORT_H
#define VIRTUALSERIALPORT_H

#include <QByteArray>
#include <QString>

// A pseudo-terminal standing in for the meter's serial port: the simulator
// writes to the master side, the program under test opens the slave device.
class VirtualSerialPort
{
public:
    VirtualSerialPort();
    ~VirtualSerialPort();
    VirtualSerialPort(const VirtualSerialPort &) = delete;
    VirtualSerialPort &operator=(const VirtualSerialPort &) = delete;

    bool open();
    void close();
    bool isOpen() const;
    QString slavePath() const;
    int masterDescriptor() const;
    QString errorString() const;

    // Writes chunk without ever blocking. A chunk is sent whole or not at all:
    // when nobody drains the slave and its queue is full, the chunk is
    // dropped (false), as bytes on a line nobody listens to are lost. A chunk
    // the queue took only part of is finished before anything else is sent.
    bool send(const QByteArray &chunk);
    // Bytes sent but not yet read on the slave side, or -1 when unknown.
    int unreadBytes() const;
    // Reads and throws away whatever the program wrote to the slave.
    void discardInput();

    // Makes linkPath a symbolic link to the slave device. An older symbolic
    // link there is replaced; any other file is left alone and gives false.
    bool addLink(const QString &linkPath);
    // Removes the link, provided it still points to this slave device.
    void removeLink();

private:
    bool flushPending();

    int masterFd = -1;
    int slaveFd = -1;
    QString slave;
    QString link;
    QByteArray pending;
    QString error;
};

#endif
