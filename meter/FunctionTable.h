#ifndef FUNCTIONTABLE_H
#define FUNCTIONTABLE_H

#include <QPair>
#include <QString>
#include <QVector>

// The meter's fixed table of functions and ranges: per function index the
// name, and per range the unit, the decimals, the number an overload stands
// for and the trend plot's (upper, lower) limits. The decoder reads it
// and the history window derives its own tables from it.
class FunctionTable
{
public:
    // The two temperature rows: same name, told apart by unit. Their
    // overload rows hold two magnitudes chosen by sign (not negative,
    // negative), not by range.
    static const int temperatureCelsius = 10;
    static const int temperatureOther = 11;

    static const QVector<QString> functionNames;
    static const QVector<QVector<QString>> unitTable;
    static const QVector<QVector<int>> decimalTable;
    static const QVector<QVector<double>> overloadTable;
    static const QVector<QVector<QPair<double, double>>> plotLimitTable;
};

#endif
