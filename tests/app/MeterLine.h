#ifndef METERLINE_H
#define METERLINE_H

#include <QByteArray>
#include <QString>

// The meter's end of a real pseudo-terminal: the program opens slavePath()
// as its serial port, the test writes the meter's bytes to the master.
class MeterLine
{
public:
    MeterLine() = default;
    ~MeterLine();
    MeterLine(const MeterLine &) = delete;
    MeterLine &operator=(const MeterLine &) = delete;

    bool open();
    void close();
    QString slavePath() const { return path; }
    bool write(const QByteArray &bytes);

private:
    int master = -1;
    QString path;
};

#endif
