#include "display/ShowData.h"

#include "display/DataLabel.h"
#include "display/FuncLabel.h"
#include "display/MinusButton.h"
#include "display/ScaleBar.h"
#include "display/StateLabel.h"
#include "display/UnitLabel.h"
#include "meter/Reading.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QPalette>

#include <limits>

namespace {
StateLabel *makeIndicator(const QString &name, int pointSize, QWidget *parent)
{
    auto *label = new StateLabel(name, pointSize, QFont::Bold, parent);
    label->setObjectName(name);
    return label;
}

void nameField(QWidget *field, const QString &name)
{
    if (field->accessibleName() != name)
        field->setAccessibleName(name);
}
}

ShowData::ShowData(QWidget *parent)
    : QWidget(parent),
      autoLabel(makeIndicator(QStringLiteral("AUTO"), 24, this)),
      manualLabel(makeIndicator(QStringLiteral("MANU"), 24, this)),
      rs232Label(makeIndicator(QStringLiteral("RS232"), 24, this)),
      holdLabel(makeIndicator(QStringLiteral("HOLD"), 24, this)),
      relativeLabel(makeIndicator(QStringLiteral("REL"), 24, this)),
      batteryLabel(makeIndicator(QStringLiteral("BAT"), 24, this)),
      maxLabel(makeIndicator(QStringLiteral("MAX"), 12, this)),
      minLabel(makeIndicator(QStringLiteral("MIN"), 12, this)),
      funcLabel(new FuncLabel(QStringLiteral("DCmV"), this)),
      minusButton(new MinusButton(this)),
      dataLabel(new DataLabel(QStringLiteral("8.0000"), this)),
      unitLabel(new UnitLabel(QStringLiteral("mV"), this)),
      scaleBar(new ScaleBar(this)),
      stateLayout(new QGridLayout()),
      readingLayout(new QHBoxLayout()),
      valueRowLayout(new QHBoxLayout()),
      mainLayout(new QVBoxLayout(this)),
      funcLayout(new QVBoxLayout()),
      valueLayout(new QVBoxLayout()),
      unitLayout(new QVBoxLayout()),
      maxMinLayout(new QVBoxLayout())
{
    QPalette black = palette();
    black.setBrush(QPalette::All, QPalette::Window, QBrush(Qt::black, Qt::SolidPattern));
    setPalette(black);
    setAutoFillBackground(true);
    setFixedSize(610, 280);

    StateLabel *const stateRow[] = {autoLabel, manualLabel, holdLabel,
                                    relativeLabel, batteryLabel, rs232Label};
    int column = 0;
    for (StateLabel *label : stateRow)
        stateLayout->addWidget(label, 0, column++, Qt::AlignCenter);
    stateLayout->setSpacing(15);

    funcLayout->addWidget(funcLabel);
    funcLayout->addStretch();
    funcLayout->addWidget(minusButton);
    funcLayout->addStretch();

    valueRowLayout->addStretch();
    valueRowLayout->addWidget(dataLabel);
    valueLayout->addLayout(valueRowLayout);

    unitLayout->addStretch();
    unitLayout->addWidget(unitLabel);
    unitLayout->addSpacing(23);

    maxMinLayout->addWidget(minLabel);
    maxMinLayout->addWidget(maxLabel);
    maxMinLayout->addStretch();

    // At 100 points a five-digit value leaves the 610-pixel panel almost no
    // room: with the style's default margins and spacing the widest rows
    // ("FREQ" in MHz, "DCmV") would lose their last digit, so the reading row
    // packs its columns edge to edge.
    mainLayout->setContentsMargins(4, 4, 4, 4);
    readingLayout->setSpacing(0);
    readingLayout->addLayout(funcLayout);
    readingLayout->addLayout(valueLayout);
    readingLayout->addLayout(unitLayout);
    readingLayout->addLayout(maxMinLayout);

    mainLayout->addLayout(stateLayout);
    mainLayout->addSpacing(10);
    mainLayout->addLayout(readingLayout);
    mainLayout->addWidget(scaleBar);
    mainLayout->addStretch();

    scaleBar->setAccessibleName(tr("Bar graph"));
    nameReading(true);
}

ShowData::~ShowData() = default;

void ShowData::refreshPanel()
{
    const Reading &reading = Reading::current();
    autoLabel->setLight(reading.autoRange);
    manualLabel->setLight(reading.manualRange);
    rs232Label->setLight(reading.rs232);
    holdLabel->setLight(reading.hold);
    relativeLabel->setLight(reading.relative);
    batteryLabel->setLight(reading.lowBattery);
    funcLabel->setText(reading.functionText);
    minusButton->setLight(reading.negative);
    dataLabel->setText(reading.valueText);
    unitLabel->setText(reading.unitText);
    nameReading(reading.negative);
}

void ShowData::setDataText(QString text)
{
    const bool negative = text.contains(QLatin1Char('-'));
    minusButton->setLight(negative);
    if (negative)
        text.remove(0, 1);
    dataLabel->setText(text);
    nameReading(negative);
}

void ShowData::nameReading(bool negative)
{
    const QString value = dataLabel->text();
    nameField(funcLabel, tr("Function: %1").arg(funcLabel->text()));
    nameField(dataLabel, tr("Value: %1").arg(negative ? QLatin1Char('-') + value : value));
    nameField(unitLabel, tr("Unit: %1").arg(unitLabel->text()));
}

void ShowData::updateMaxMinState()
{
    const Reading &reading = Reading::current();
    if (reading.maxMinBlink) {
        maxLabel->setLight(blinkPhase);
        minLabel->setLight(blinkPhase);
        if (reading.hold)
            holdLabel->setLight(blinkPhase);
        blinkPhase = !blinkPhase;
    } else {
        maxLabel->setLight(reading.max);
        minLabel->setLight(reading.min);
    }
}

void ShowData::setRs232State(bool on)
{
    rs232Label->setLight(on);
}

void ShowData::setBarValue(double v)
{
    const Reading &reading = Reading::current();
    const int function = reading.functionIndex;
    if (function == 7 || function == 8 || function == 9) {
        // Capacitance, frequency and duty cycle have no bar on the meter.
        scaleBar->setAllVisible(false);
    } else if (reading.overload) {
        scaleBar->setAllVisible(true);
    } else {
        // Two segments per unit; the bound keeps the conversion defined.
        const double level = qBound(-1.0, 2.0 * v, double(std::numeric_limits<int>::max()));
        scaleBar->setLevel(static_cast<int>(level));
    }
}
