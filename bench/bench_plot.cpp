#include "bench/ProcessMemory.h"
#include "plot/GapCurve.h"
#include "plot/Wave.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWheelEvent>
#include <QtMath>
#include <qwt_plot_canvas.h>
#include <qwt_plot_panner.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {
// A week of readings at the fastest sampling interval, about 16 a second
// sharing whole seconds: a slow sine with noise, a spike every million
// readings and two pauses of some hours.
void makeSeries(int count, QVector<double> &x, QVector<double> &y)
{
    x.resize(count);
    y.resize(count);
    quint32 noise = 7;
    for (int i = 0; i < count; ++i) {
        noise = noise * 1664525u + 1013904223u;
        double seconds = std::floor(i * 0.06);
        if (i >= count / 3)
            seconds += 3 * 3600;
        if (i >= 2 * count / 3)
            seconds += 9 * 3600;
        x[i] = seconds;
        y[i] = 10.0 * qSin(i / 200000.0) + (noise >> 8) / double(1 << 24) * 0.5;
        if (i % 1000000 == 500000)
            y[i] += 15.0;
    }
}

double percentile(QVector<double> sorted, double p)
{
    const int index = qBound(0, int(p * (sorted.size() - 1) + 0.5), sorted.size() - 1);
    return sorted.at(index);
}

void report(const char *what, QVector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-34s median %.2f ms, p90 %.2f ms, max %.2f ms\n", what, percentile(times, 0.5),
                percentile(times, 0.9), times.last());
}

// Each action ends in a replot; the events it leaves are processed within
// the time too.
QVector<double> timed(int rounds, const std::function<void(int)> &action)
{
    QVector<double> times;
    QElapsedTimer timer;
    for (int i = 0; i < rounds; ++i) {
        timer.start();
        action(i);
        QApplication::processEvents();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    return times;
}
}

// bench_plot [POINTS]: hands POINTS (ten million) to the plot as the history
// window does, then times pans and zooms with the mouse's own handlers.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000000;

    Wave wave;
    wave.resize(1536, 864);
    wave.show();
    QApplication::processEvents();

    QVector<double> x;
    QVector<double> y;
    makeSeries(count, x, y);
    QVector<int> pieceStarts = GapCurve::gapStarts(x);
    std::printf("%d points in %d pieces; RSS %.0f MB, peak %.0f MB\n", count, int(pieceStarts.size()) + 1,
                ProcessMemory::residentMegabytes(), ProcessMemory::peakMegabytes());

    QElapsedTimer timer;
    timer.start();
    wave.setPoints(std::move(x), std::move(y), std::move(pieceStarts));
    QApplication::processEvents();
    std::printf("setPoints with the first paint: %.1f ms; RSS %.0f MB, peak %.0f MB\n",
                timer.nsecsElapsed() / 1e6, ProcessMemory::residentMegabytes(),
                ProcessMemory::peakMegabytes());

    QwtPlotPanner *panner = wave.canvas()->findChild<QwtPlotPanner *>();
    const QVector<double> pans = timed(20, [&](int i) {
        // Back and forth, a fifth of the canvas each time.
        emit panner->panned((i % 2 ? -1 : 1) * wave.canvas()->width() / 5, 0);
    });
    const QPoint centre = wave.canvas()->rect().center();
    const QVector<double> zooms = timed(20, [&](int i) {
        // Ten steps in, then ten out.
        QWheelEvent wheel(centre, wave.canvas()->mapToGlobal(centre), QPoint(), QPoint(0, i < 10 ? -120 : 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(wave.canvas(), &wheel);
    });
    report("pan with replot:", pans);
    report("zoom with replot:", zooms);
    std::printf("at the end: RSS %.0f MB, peak %.0f MB\n", ProcessMemory::residentMegabytes(),
                ProcessMemory::peakMegabytes());
    return 0;
}
