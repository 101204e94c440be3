#include "display/MaxMin.h"

#include "meter/Reading.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
bool isOverload(const Reading &reading)
{
    return reading.valueText.contains(QLatin1Char('L'), Qt::CaseSensitive);
}

// In the top resistance range a new extreme is written with one decimal
// fewer than the reading carries; a reset writes the reading's own count.
int updateDecimals(const Reading &reading)
{
    const int decimals = (reading.functionIndex == 4 && reading.range == 6)
            ? reading.decimals - 1 : reading.decimals;
    return qMax(0, decimals);
}

QString numberText(double value, int decimals)
{
    return QString::number(value, 'f', qMax(0, decimals));
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
        maxEdit->setText(numberText(maxValue, updateDecimals(reading)));
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
        minEdit->setText(numberText(minValue, updateDecimals(reading)));
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
