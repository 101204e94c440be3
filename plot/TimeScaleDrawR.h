#ifndef TIMESCALEDRAWR_H
#define TIMESCALEDRAWR_H

#include <QDateTime>
#include <qwt_scale_draw.h>

// Labels a time axis whose values are seconds after a base time with the
// clock time of that second.
class TimeScaleDrawR : public QwtScaleDraw
{
public:
    explicit TimeScaleDrawR(const QDateTime &baseTime);
    ~TimeScaleDrawR() override;

    QwtText label(double v) const override;

private:
    QDateTime baseTime;
};

#endif
