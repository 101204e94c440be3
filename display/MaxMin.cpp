#include "display/MaxMin.h"

#include "meter/Reading.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace {
bool isOverload(const Reading &reading)
{
    return reading.valueText.contains(QLatin1Char('L'), Qt::CaseSensitive);
}

QString numberText(double value, int decimals)
{
    return QString::number(value, 'f', qMax(0, decimals));
}

// A new extreme is written as the meter shows it: in the top resistance
// range one decimal fewer, rounded from the reading's count. A reset writes
// every digit the reading carries.
QString extremeText(const Reading &reading, double value)
{
    if (reading.shownDecimals() == reading.decimals)
        return numberText(value, reading.decimals);
    return reading.countText(qRound64(value * std::pow(10.0, reading.decimals)));
}
}

MaxMin::MaxMin(QWidget *parent)
    : QWidget(parent),
      maxLabel(new QLabel(tr("Max:"))),
      minLabel(new QLabel(tr("Min:"))),
      maxEdit(new QLineEdit()),
      minEdit(new QLineEdit()),
      innerLayout(new QHBoxLayout()),
      groupBox(new QGroupBox(this)),
      outerLayout(new QHBoxLayout(this))
{
    for (QLineEdit *edit : {maxEdit, minEdit}) {
        edit->setEnabled(false);
        edit->setAlignment(Qt::AlignCenter);
    }
    maxEdit->setAccessibleName(tr("Maximum"));
    minEdit->setAccessibleName(tr("Minimum"));
    innerLayout->addWidget(maxLabel);
    innerLayout->addWidget(maxEdit);
    innerLayout->addStretch();
    innerLayout->addWidget(minLabel);
    innerLayout->addWidget(minEdit);
    groupBox->setLayout(innerLayout);

    outerLayout->addWidget(groupBox);
    outerLayout->setContentsMargins(0, 0, 0, 0);
    setFixedHeight(50);
}

MaxMin::~MaxMin() = default;

void MaxMin::reset()
{
    const Reading &reading = Reading::current();
    maxValue = minValue = reading.value;
    if (isOverload(reading)) {
        maxEdit->setText(reading.valueText);
        minEdit->setText(reading.valueText);
    } else {
        minEdit->setText(numberText(minValue, reading.decimals));
        maxEdit->setText(numberText(maxValue, reading.decimals));
    }
}

void MaxMin::updateMax()
{
    const Reading &reading = Reading::current();
    if (isOverload(reading) && !reading.negative) {
        maxEdit->setText(reading.valueText);
        maxValue = reading.value;
    } else if (reading.value > maxValue) {
        maxValue = reading.value;
        maxEdit->setText(extremeText(reading, maxValue));
    }
}

void MaxMin::updateMin()
{
    const Reading &reading = Reading::current();
    if (isOverload(reading) && reading.negative) {
        minEdit->setText(QLatin1Char('-') + reading.valueText);
        minValue = reading.value;
    } else if (reading.value < minValue) {
        minValue = reading.value;
        minEdit->setText(extremeText(reading, minValue));
    }
}

QString MaxMin::maxText() const
{
    return maxEdit->text();
}

QString MaxMin::minText() const
{
    return minEdit->text();
}
