#include "app/MineTime.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const int AutomaticInterval = 60;
const int MinimumSeconds = 1;
const int MaximumSeconds = 3600;
}

MineTime::MineTime(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Dwell time"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setStyleSheet(QStringLiteral("font: 12pt"));
    setFixedSize(420, 230);

    autoCheckBox = new QCheckBox(tr("Automatic acquisition"));
    manualGroupBox = new QGroupBox(tr("Manual set"));
    intervalLabel = new QLabel(tr("Time interval of data acquisition:"));
    intervalEdit = new QLineEdit;
    secondLabel = new QLabel(tr("S"));
    noteLabel = new QLabel(tr("Note: Time interval of sampling data(1~3600S)"));
    okButton = new QPushButton(tr("OK"));
    cancelButton = new QPushButton(tr("Cancel"));
    okButton->setFixedSize(70, 30);
    cancelButton->setFixedSize(70, 30);
    checkRow = new QHBoxLayout;
    intervalRow = new QHBoxLayout;
    noteRow = new QHBoxLayout;
    buttonRow = new QHBoxLayout;
    groupLayout = new QVBoxLayout;
    mainLayout = new QVBoxLayout(this);

    autoCheckBox->setChecked(true);
    intervalEdit->setFixedWidth(50);
    intervalEdit->setValidator(new QIntValidator(MinimumSeconds, MaximumSeconds, intervalEdit));
    intervalEdit->setText(QStringLiteral("1"));
    intervalEdit->setEnabled(false);
    intervalEdit->setAccessibleName(tr("Interval in seconds"));

    checkRow->addWidget(autoCheckBox);
    intervalRow->addWidget(intervalLabel);
    intervalRow->addWidget(intervalEdit);
    intervalRow->addWidget(secondLabel);
    intervalRow->addStretch();
    noteRow->addWidget(noteLabel);
    groupLayout->addLayout(intervalRow);
    groupLayout->addLayout(noteRow);
    manualGroupBox->setLayout(groupLayout);
    buttonRow->addWidget(okButton);
    buttonRow->addWidget(cancelButton);
    mainLayout->addLayout(checkRow);
    mainLayout->addWidget(manualGroupBox);
    mainLayout->addLayout(buttonRow);
    setLayout(mainLayout);

    connect(okButton, &QPushButton::clicked, this, &MineTime::slot_ok);
    connect(cancelButton, &QPushButton::clicked, this, &MineTime::slot_cancel);
    connect(autoCheckBox, &QCheckBox::stateChanged, this, &MineTime::slot_checkState);
}

int MineTime::timeInterval() const
{
    if (autoCheckBox->isChecked())
        return AutomaticInterval;
    bool isNumber = false;
    int seconds = intervalEdit->text().toInt(&isNumber, 10);
    if (!isNumber)
        seconds = 0;
    if (seconds < MinimumSeconds || seconds > MaximumSeconds)
        return AutomaticInterval;
    return seconds * 1000;
}

void MineTime::slot_checkState(int state)
{
    if (state == Qt::Unchecked)
        intervalEdit->setEnabled(true);
    else if (state == Qt::Checked)
        intervalEdit->setEnabled(false);
}

void MineTime::slot_ok()
{
    emit signal_mineTime(timeInterval());
    hide();
}

void MineTime::slot_cancel()
{
    hide();
}
