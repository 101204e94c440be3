#ifndef WAVEMAGNIFIER_H
#define WAVEMAGNIFIER_H

#include <qwt_plot_magnifier.h>

class QPoint;

// Zooms a plot the way map and chart programs do: the wheel turned up zooms
// in, around the point under the pointer, which stays in place. A
// double-click or Home asks for the whole plot again (signal_home).
class WaveMagnifier : public QwtPlotMagnifier
{
    Q_OBJECT
public:
    explicit WaveMagnifier(QWidget *canvas);

    // Scales every enabled axis by factor (below 1 zooms in) about the
    // canvas position.
    void rescaleAround(double factor, const QPoint &position);

signals:
    void signal_home();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
    void widgetWheelEvent(QWheelEvent *event) override;
    void widgetKeyPressEvent(QKeyEvent *event) override;
};

#endif
