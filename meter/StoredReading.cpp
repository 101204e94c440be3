#include "meter/StoredReading.h"

#include "meter/FunctionTable.h"
#include "meter/Reading.h"

#include <charconv>
#include <cmath>

const QStringList StoredReading::columns = {QStringLiteral("funcstr"), QStringLiteral("datavaluestr"),
    QStringLiteral("unitstr"), QStringLiteral("frastr"), QStringLiteral("create_time")};

const char StoredReading::timeFormat[] = "yyyy-MM-dd hh:mm:ss";

namespace {
bool isTemperature(int code)
{
    return code == FunctionTable::temperatureCelsius || code == FunctionTable::temperatureOther;
}

// As QString's own reading in the C locale (blanks around it and a leading
// "+" allowed), without making a QString per row.
bool readNumber(std::string_view text, double *value)
{
    const char *begin = text.data();
    const char *end = begin + text.size();
    while (begin < end && (*begin == ' ' || (*begin >= '\t' && *begin <= '\r')))
        ++begin;
    while (end > begin && (end[-1] == ' ' || (end[-1] >= '\t' && end[-1] <= '\r')))
        --end;
    if (begin < end && *begin == '+' && end - begin > 1 && begin[1] != '-')
        ++begin;
    const std::from_chars_result result = std::from_chars(begin, end, *value);
    return begin < end && result.ec == std::errc() && result.ptr == end;
}
}  // namespace

QStringList StoredReading::record(const Reading &reading)
{
    return {reading.functionText,
        reading.negative ? QLatin1Char('-') + reading.valueText : reading.valueText, reading.unitText,
        QString::number(reading.range), reading.time.toString(QLatin1String(timeFormat))};
}

int StoredReading::functionCode(const QString &functionText, const QString &unitText)
{
    if (functionText == QLatin1String("TEMP"))
        return unitText == QString(QChar(0x2103)) ? FunctionTable::temperatureCelsius
                                                   : FunctionTable::temperatureOther;
    const int code = FunctionTable::functionNames.indexOf(functionText);
    return code < 0 ? 0 : code;
}

double StoredReading::plotValue(int code, int range, std::string_view valueText)
{
    if (valueText.find('L') != std::string_view::npos && code >= 0 && code < FunctionTable::overloadTable.size()) {
        const QVector<double> &overloads = FunctionTable::overloadTable.at(code);
        // The meter's temperature rows hold the negative overload's
        // magnitude; the stored text carries its sign.
        if (isTemperature(code))
            return valueText.find('-') != std::string_view::npos ? -overloads.at(1) : overloads.at(0);
        // A negative overload lies as far below zero as the positive one
        // lies above it, as on the live plot.
        if (range >= 0 && range < overloads.size())
            return !valueText.empty() && valueText.front() == '-' ? -overloads.at(range) : overloads.at(range);
        // A range the function does not have: plotted at its value text.
    }
    double value = 0;
    // "nan" and "inf" parse as numbers but would wreck the plot's scaling.
    return readNumber(valueText, &value) && std::isfinite(value) ? value : 0.0;
}

bool StoredReading::plotLimits(int code, int range, double *lower, double *upper)
{
    if (code < 0 || code >= FunctionTable::plotLimitTable.size())
        return false;
    const QVector<QPair<double, double>> &limits = FunctionTable::plotLimitTable.at(code);
    if (range < 0 || range >= limits.size())
        return false;
    *upper = limits.at(range).first;
    *lower = limits.at(range).second;
    return true;
}
