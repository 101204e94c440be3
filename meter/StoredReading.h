#ifndef STOREDREADING_H
#define STOREDREADING_H

#include <QString>
#include <QStringList>

#include <string_view>

class Reading;

// A sampled reading as the table keeps it: five texts in the columns
// funcstr, datavaluestr, unitstr, frastr and create_time, and the way back
// from those texts to what the trend plot shows.
class StoredReading
{
public:
    // The column names, in record order.
    static const QStringList columns;
    // Of the stored time, and of every time shown beside a reading.
    static const char timeFormat[];

    // Function text, value text ("-" in front when negative), unit text,
    // range number in decimal and the time in timeFormat.
    static QStringList record(const Reading &reading);

    // "TEMP" is told apart by its unit, any other function by its name;
    // an unknown function counts as the first one.
    static int functionCode(const QString &functionText, const QString &unitText);
    // The plot's y for a stored value text: its number, or for an overload
    // (a text with "L") the number the function's range stands for, with
    // the sign the text carries. Text that is not a finite number gives 0.
    static double plotValue(int code, int range, std::string_view valueText);
    // The y limits of the function's range; false for a range it does not have.
    static bool plotLimits(int code, int range, double *lower, double *upper);
};

#endif
