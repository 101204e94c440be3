#include "plot/TimeScaleDrawR.h"

#include <QtGlobal>
#include <qwt_text.h>

#include <limits>

TimeScaleDrawR::TimeScaleDrawR(const QDateTime &baseTime)
    : baseTime(baseTime)
{
}

TimeScaleDrawR::~TimeScaleDrawR() = default;

QwtText TimeScaleDrawR::label(double v) const
{
    // A far zoom-out can put axis values beyond what an int holds; clamp
    // before truncating so the conversion stays defined.
    const double bounded = qBound(double(std::numeric_limits<int>::min()), v,
                                  double(std::numeric_limits<int>::max()));
    const int seconds = static_cast<int>(bounded);
    const QDateTime t = baseTime.addSecs(seconds);
    return QwtText(t.toString(QStringLiteral("hh:mm:ss")), QwtText::AutoText);
}
