#include "plot/TimeScaleEngine.h"

#include <qwt_interval.h>
#include <qwt_scale_div.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {
const qint64 secondsPerDay = 86400;

// Steps up to a day, smallest first. Hours that do not divide a day (5, 7,
// 11, ...) let an axis of a day or more show 24 different clock times, where
// 6 or 12 hours would repeat one after 4 or 2 ticks.
const qint64 hour = 3600;
const qint64 shortSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800,
                             hour, 2 * hour, 3 * hour, 5 * hour, 6 * hour, 7 * hour, 11 * hour,
                             12 * hour, 13 * hour, 17 * hour, 19 * hour, 23 * hour};

// Ticks at multiples of step that fall within [x1, x2].
qint64 tickCount(double x1, double x2, qint64 step)
{
    const double first = std::ceil(x1 / double(step));
    const double last = std::floor(x2 / double(step));
    return last < first ? 0 : qint64(last - first) + 1;
}

// Ticks j steps apart share a clock time once j * step is a whole number of
// days; the first such j bounds how many ticks can carry distinct labels.
qint64 distinctTicks(qint64 step)
{
    return secondsPerDay / std::gcd(step, secondsPerDay);
}

bool fits(double x1, double x2, int maxSteps, qint64 step)
{
    return double(step) * maxSteps >= x2 - x1 && tickCount(x1, x2, step) <= distinctTicks(step);
}
}

TimeScaleEngine::TimeScaleEngine() = default;

TimeScaleEngine::~TimeScaleEngine() = default;

double TimeScaleEngine::majorStep(double x1, double x2, int maxSteps)
{
    if (x1 > x2)
        std::swap(x1, x2);
    maxSteps = std::max(1, maxSteps);
    for (qint64 step : shortSteps) {
        if (fits(x1, x2, maxSteps, step))
            return double(step);
    }
    // Longer steps add an hour to whole days, so that successive ticks show
    // successive hours instead of one clock time over and over.
    const qint64 multipliers[] = {1, 2, 5};
    for (qint64 decade = 1;; decade *= 10) {
        for (qint64 multiplier : multipliers) {
            const qint64 step = multiplier * decade * secondsPerDay + hour;
            // Far beyond any recorded span: one step over the whole interval.
            if (fits(x1, x2, maxSteps, step) || step > 1e15)
                return double(step);
        }
    }
}

void TimeScaleEngine::autoScale(int maxNumSteps, double &x1, double &x2, double &stepSize) const
{
    if (x1 > x2)
        std::swap(x1, x2);
    // Readings within one second share an x: show that second alone.
    if (x1 == x2) {
        x1 -= 0.5;
        x2 += 0.5;
    }
    stepSize = majorStep(x1, x2, maxNumSteps);
}

QwtScaleDiv TimeScaleEngine::divideScale(double x1, double x2, int maxMajorSteps, int maxMinorSteps,
                                         double stepSize) const
{
    Q_UNUSED(stepSize)
    const QwtInterval interval = QwtInterval(x1, x2).normalized();
    if (interval.width() <= 0.0 || !std::isfinite(interval.width()))
        return QwtScaleDiv(interval.minValue(), interval.maxValue());

    QList<double> ticks[QwtScaleDiv::NTickTypes];
    buildTicks(interval, majorStep(x1, x2, maxMajorSteps), maxMinorSteps, ticks);
    QwtScaleDiv division(interval, ticks);
    if (x1 > x2)
        division.invert();
    return division;
}
