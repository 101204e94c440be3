#ifndef READING_H
#define READING_H

#include <QDateTime>
#include <QString>

// The meter's current reading. There is exactly one, shared by the decoder
// (which writes it) and every display, plot and record (which read it); it is
// reached through Reading::current() and never copied.
class Reading
{
public:
    static Reading &current();

    QString functionText = QStringLiteral("DCV");
    QString valueText = QStringLiteral("8.000");
    QString unitText = QStringLiteral("mV");
    QDateTime time = QDateTime::currentDateTime();
    int functionIndex = -1;
    int range = -1;
    int decimals = 0;
    double value = -1.0;
    double barValue = 0.0;
    double plotMax = 0.0;
    double plotMin = 0.0;

    // Before the first frame every indicator is lit, as on the meter's own
    // start-up segment test.
    bool autoRange = true;
    bool manualRange = true;
    bool rs232 = true;
    bool hold = true;
    bool relative = true;
    bool lowBattery = true;
    bool max = true;
    bool min = true;
    bool negative = true;
    bool maxMinBlink = false;
    bool overload = false;

    // Digits after the point that the meter shows: one fewer than the count
    // carries in the top resistance range ("OHM" range 6).
    int shownDecimals() const;
    // A count of units of the last of `decimals` places, written as the meter
    // shows it: shownDecimals() digits after the point, the dropped digit
    // rounded half up from the exact count, a minus sign for a negative count.
    QString countText(qint64 count) const;

    // Puts every field back to its start-up value; tests use it to start
    // each case from a known reading.
    void reset();

private:
    Reading() = default;
    Reading(const Reading &) = delete;
    Reading &operator=(const Reading &) = delete;
};

#endif
