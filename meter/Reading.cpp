#include "meter/Reading.h"

Reading &Reading::current()
{
    static Reading reading;
    return reading;
}

int Reading::shownDecimals() const
{
    return (functionIndex == 4 && range == 6) ? qMax(0, decimals - 1) : decimals;
}

QString Reading::countText(qint64 count) const
{
    const int shown = shownDecimals();
    qint64 magnitude = qAbs(count);
    if (shown < decimals) {
        qint64 dropped = 1;
        for (int i = shown; i < decimals; ++i)
            dropped *= 10;
        magnitude = (magnitude + dropped / 2) / dropped;
    }
    QString text = QString::number(magnitude).rightJustified(shown + 1, QLatin1Char('0'));
    if (shown > 0)
        text.insert(text.size() - shown, QLatin1Char('.'));
    return count < 0 ? QLatin1Char('-') + text : text;
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
