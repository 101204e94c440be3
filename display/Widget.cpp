#include "display/Widget.h"

#include "display/MaxMin.h"
#include "display/ShowData.h"
#include "display/Table.h"
#include "meter/Reading.h"
#include "plot/Wave.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QSplitter>
#include <QStringList>

Widget::Widget(QWidget *parent)
    : QWidget(parent),
      mainSplitter(new QSplitter(Qt::Horizontal)),
      leftSplitter(new QSplitter(Qt::Vertical)),
      layout(new QHBoxLayout(this)),
      showData(new ShowData()),
      table(new Table({tr("Time"), tr("Data"), tr("Func")})),
      maxMin(new MaxMin()),
      wave(new Wave())
{
    leftSplitter->addWidget(showData);
    leftSplitter->addWidget(table);
    leftSplitter->addWidget(maxMin);
    leftSplitter->setStretchFactor(0, 3);
    leftSplitter->setStretchFactor(1, 2);
    leftSplitter->setStretchFactor(2, 1);

    mainSplitter->addWidget(leftSplitter);
    mainSplitter->addWidget(wave);
    mainSplitter->setStretchFactor(0, 1);
    mainSplitter->setStretchFactor(1, 1);

    layout->addWidget(mainSplitter);

    showData->setAccessibleName(tr("Meter display"));
    table->setAccessibleName(tr("Live readings"));
    wave->setAccessibleName(tr("Live plot"));
}

Widget::~Widget() = default;

void Widget::clearForStart()
{
    table->clearRows();
    wave->clearCurve();
}

void Widget::setLinkIndicator(bool on)
{
    showData->setRs232State(on);
}

void Widget::stopUpdate()
{
    table->clearRows();
    restartPlot();
    showData->setRs232State(false);
}

void Widget::addSample()
{
    if (table->rowCount() >= MaxRows) {
        table->clearRows();
        restartPlot();
    }
    Reading &reading = Reading::current();
    reading.time = QDateTime::currentDateTime();
    // The flag is the previous sample's: the first held sample is still
    // shown, the first one after HOLD is not.
    if (!holdLatched)
        showData->refreshPanel();
    table->addReading(reading.time);
    wave->addPoint(reading.time, reading.value);
    maxMin->updateMax();
    maxMin->updateMin();
    holdLatched = reading.hold;
}

void Widget::restartPlot()
{
    const Reading &reading = Reading::current();
    wave->restart(reading.plotMin, reading.plotMax);
}

void Widget::showReading()
{
    const Reading &reading = Reading::current();
    showData->updateMaxMinState();
    if (reading.max)
        showData->setDataText(maxMin->maxText());
    if (reading.min)
        showData->setDataText(maxMin->minText());
}

void Widget::updateBar()
{
    showData->setBarValue(Reading::current().barValue);
}

void Widget::slot_funcRangeChange()
{
    table->clearRows();
    restartPlot();
    maxMin->reset();
}
