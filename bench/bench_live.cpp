#include "display/Widget.h"
#include "meter/Reading.h"
#include "plot/Wave.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QVector>
#include <QtMath>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {
// Fills the reading as the decoder would for "DCV" range 1 (3 decimals).
void decode(int i)
{
    Reading &reading = Reading::current();
    const double value = 12.0 * qSin(i / 40.0) + 0.001 * (i % 13);
    reading.functionText = QStringLiteral("DCV");
    reading.unitText = QStringLiteral("V");
    reading.functionIndex = 2;
    reading.range = 1;
    reading.decimals = 3;
    reading.plotMax = 24.0;
    reading.plotMin = -24.0;
    reading.value = value;
    reading.negative = value < 0.0;
    reading.valueText = QString::number(qAbs(value), 'f', 3);
    reading.barValue = qAbs(value);
    reading.autoRange = true;
    reading.manualRange = reading.hold = reading.relative = reading.lowBattery = false;
    reading.max = reading.min = reading.maxMinBlink = reading.overload = false;
}

double percentile(QVector<double> sorted, double p)
{
    const int index = qBound(0, int(p * (sorted.size() - 1) + 0.5), sorted.size() - 1);
    return sorted.at(index);
}

void report(const char *what, QVector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %.3f ms, p99 %.3f ms, max %.3f ms\n", what,
                percentile(times, 0.5), percentile(times, 0.99), times.last());
}

// 5,000 readings through the central widget exactly as one sampling tick
// hands them over, timed once for the calls alone and once including the
// repaint that the event loop then does.
void benchLiveTicks()
{
    const int ticks = 5000;
    Widget widget;
    widget.resize(1536, 864);
    widget.show();
    QApplication::processEvents();

    decode(0);
    widget.slot_funcRangeChange();
    widget.clearForStart();
    widget.setLinkIndicator(true);
    QApplication::processEvents();

    QVector<double> calls;
    QVector<double> withPaint;
    calls.reserve(ticks);
    withPaint.reserve(ticks);
    QElapsedTimer timer;
    for (int i = 0; i < ticks; ++i) {
        decode(i);
        timer.start();
        widget.addSample();
        widget.showReading();
        widget.updateBar();
        calls.append(timer.nsecsElapsed() / 1e6);
        QApplication::processEvents();
        withPaint.append(timer.nsecsElapsed() / 1e6);
    }
    report("tick (addSample, showReading, updateBar):", calls);
    report("tick including the repaint:", withPaint);
}

// One million points handed over at once, as the history window does it,
// then the redraw painted.
void benchBulkFill()
{
    Wave wave;
    wave.resize(1536, 864);
    wave.show();
    QApplication::processEvents();

    const int count = 1000000;
    QVector<double> x(count);
    QVector<double> y(count);
    for (int i = 0; i < count; ++i) {
        x[i] = i * 0.5;
        y[i] = 10.0 * qSin(i / 5000.0) + (i % 7) * 0.1;
    }
    QElapsedTimer timer;
    timer.start();
    wave.setPoints(std::move(x), std::move(y));
    const qint64 handOver = timer.nsecsElapsed();
    wave.repaint();
    QApplication::processEvents();
    const qint64 total = timer.nsecsElapsed();
    std::printf("bulk fill of 1,000,000 points at 1536x864: setPoints %.1f ms, with paint %.1f ms\n",
                handOver / 1e6, total / 1e6);
}
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchLiveTicks();
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS after the live ticks: %ld KiB\n", usage.ru_maxrss);
    benchBulkFill();
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS after the bulk fill: %ld KiB\n", usage.ru_maxrss);
    return 0;
}
