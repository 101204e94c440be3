#ifndef TIMESCALEENGINE_H
#define TIMESCALEENGINE_H

#include <qwt_scale_engine.h>

// Divides a time axis (seconds after an origin) so that its "hh:mm:ss"
// labels stay readable: major ticks lie whole seconds apart, no two of them
// share a clock time, and automatic scaling keeps the data's own bounds.
class TimeScaleEngine : public QwtLinearScaleEngine
{
public:
    TimeScaleEngine();
    ~TimeScaleEngine() override;

    void autoScale(int maxNumSteps, double &x1, double &x2, double &stepSize) const override;
    QwtScaleDiv divideScale(double x1, double x2, int maxMajorSteps, int maxMinorSteps,
                            double stepSize = 0.0) const override;

    // The smallest step, in whole seconds, that divides [x1, x2] into at most
    // maxSteps steps with pairwise distinct clock times at its ticks.
    static double majorStep(double x1, double x2, int maxSteps);
};

#endif
