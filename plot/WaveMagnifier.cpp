#include "plot/WaveMagnifier.h"

#include <QKeyEvent>
#include <QPoint>
#include <QWheelEvent>
#include <QtMath>
#include <qwt_plot.h>
#include <qwt_scale_map.h>

namespace {
// One notch of a mouse wheel, in eighths of a degree.
const double WheelNotch = 120.0;
}

WaveMagnifier::WaveMagnifier(QWidget *canvas)
    : QwtPlotMagnifier(canvas)
{
}

void WaveMagnifier::rescaleAround(double factor, const QPoint &position)
{
    QwtPlot *plt = plot();
    if (!plt || factor <= 0.0 || qFuzzyCompare(factor, 1.0))
        return;
    const bool autoReplot = plt->autoReplot();
    plt->setAutoReplot(false);
    for (int axis = 0; axis < QwtPlot::axisCnt; ++axis) {
        if (!isAxisEnabled(axis))
            continue;
        const QwtScaleMap map = plt->canvasMap(axis);
        const bool horizontal = axis == QwtPlot::xBottom || axis == QwtPlot::xTop;
        const double fixed = map.invTransform(horizontal ? position.x() : position.y());
        plt->setAxisScale(axis, fixed + (map.s1() - fixed) * factor, fixed + (map.s2() - fixed) * factor);
    }
    plt->setAutoReplot(autoReplot);
    plt->replot();
}

bool WaveMagnifier::eventFilter(QObject *object, QEvent *event)
{
    if (object == parentWidget() && isEnabled() && event->type() == QEvent::MouseButtonDblClick) {
        emit signal_home();
        return true;
    }
    return QwtPlotMagnifier::eventFilter(object, event);
}

void WaveMagnifier::widgetWheelEvent(QWheelEvent *event)
{
    if (event->modifiers() != wheelModifiers() || wheelFactor() == 0.0)
        return;
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    // Up (away from the user) zooms in: a factor below 1 narrows the axes.
    double factor = qPow(wheelFactor(), qAbs(delta / WheelNotch));
    if (delta < 0)
        factor = 1.0 / factor;
    rescaleAround(factor, event->position().toPoint());
}

void WaveMagnifier::widgetKeyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier) {
        emit signal_home();
        return;
    }
    QwtPlotMagnifier::widgetKeyPressEvent(event);
}
