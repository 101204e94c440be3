#include "meter/Reading.h"

Reading &Reading::current()
{
    static Reading reading;
    return reading;
}

void Reading::reset()
{
    functionText = QStringLiteral("DCV");
    valueText = QStringLiteral("8.000");
    unitText = QStringLiteral("mV");
    time = QDateTime::currentDateTime();
    functionIndex = -1;
    range = -1;
    decimals = 0;
    value = -1.0;
    barValue = 0.0;
    plotMax = 0.0;
    plotMin = 0.0;
    autoRange = manualRange = rs232 = hold = relative = lowBattery = true;
    max = min = negative = true;
    maxMinBlink = false;
    overload = false;
}
