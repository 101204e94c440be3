// Renders the central widget with a realistic DC-voltage series to a PNG,
// the picture the README shows: live_picture <output.png>

#include "app/DesignFont.h"
#include "display/MaxMin.h"
#include "display/ShowData.h"
#include "display/Table.h"
#include "display/Widget.h"
#include "meter/Reading.h"
#include "plot/Wave.h"

#include <QApplication>
#include <QDateTime>
#include <QPixmap>
#include <QtMath>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DesignFont::apply();
    if (argc != 2) {
        std::fprintf(stderr, "usage: live_picture <output.png>\n");
        return 2;
    }

    Reading &reading = Reading::current();
    reading.reset();
    reading.functionText = QStringLiteral("DCV");
    reading.unitText = QStringLiteral("V");
    reading.functionIndex = 2;
    reading.range = 0;
    reading.decimals = 4;
    reading.plotMax = 2.4;
    reading.plotMin = -2.4;
    reading.autoRange = true;
    reading.manualRange = false;
    reading.hold = reading.relative = reading.lowBattery = false;
    reading.max = reading.min = reading.negative = false;

    Widget widget;
    widget.resize(1280, 720);
    widget.show();

    // A slow drift sampled once a second; the last sample reads 1.2345 V.
    const int count = 40;
    const QDateTime start = QDateTime::currentDateTime().addSecs(-count);
    for (int i = 0; i < count; ++i) {
        const double value = i == count - 1
                ? 1.2345 : 1.2345 + 0.05 * qSin(i / 5.0) - 0.002 * (count - 1 - i);
        reading.value = value;
        reading.valueText = QString::number(value, 'f', reading.decimals);
        reading.barValue = value * 10.0;
        if (i == 0) {
            widget.slot_funcRangeChange();
            widget.plot()->setTimeOrigin(start);
        }
        reading.time = start.addSecs(i);
        widget.panel()->refreshPanel();
        widget.liveTable()->addReading(reading.time);
        widget.plot()->addPoint(double(i), value);
        widget.maxMinPanel()->updateMax();
        widget.maxMinPanel()->updateMin();
        widget.showReading();
        widget.updateBar();
    }
    QApplication::processEvents();

    if (!widget.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
