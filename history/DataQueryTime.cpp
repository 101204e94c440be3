#include "history/DataQueryTime.h"

#include <QDateTime>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString TimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
}

DataQueryTime::DataQueryTime(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Historical records query"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setStyleSheet(QStringLiteral("font: 14pt"));
    setFixedSize(350, 180);

    startLabel = new QLabel(tr("Start Time:"));
    stopLabel = new QLabel(tr("Stop Time:"));
    // One whole-second moment for both editors: two separate readings of the
    // clock could differ by hidden milliseconds, or straddle a second, and
    // let a range that looks empty through.
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    startEdit = new QDateTimeEdit(now);
    stopEdit = new QDateTimeEdit(now);
    okButton = new QPushButton(tr("OK"));
    cancelButton = new QPushButton(tr("Cancel"));
    grid = new QGridLayout;
    buttonRow = new QHBoxLayout;
    mainLayout = new QVBoxLayout(this);

    okButton->setFixedSize(70, 30);
    cancelButton->setFixedSize(70, 30);
    startEdit->setDisplayFormat(TimeFormat);
    stopEdit->setDisplayFormat(TimeFormat);
    startEdit->setAccessibleName(tr("Start time"));
    stopEdit->setAccessibleName(tr("Stop time"));

    grid->addWidget(startLabel, 0, 0);
    grid->addWidget(startEdit, 0, 1);
    grid->addWidget(stopLabel, 1, 0);
    grid->addWidget(stopEdit, 1, 1);
    buttonRow->addWidget(okButton);
    buttonRow->addWidget(cancelButton);
    mainLayout->addLayout(grid);
    mainLayout->addLayout(buttonRow);
    setLayout(mainLayout);

    connect(okButton, &QPushButton::clicked, this, &DataQueryTime::slot_ok);
    connect(cancelButton, &QPushButton::clicked, this, &DataQueryTime::slot_cancel);
}

void DataQueryTime::slot_ok()
{
    hide();
    QDateTime start = startEdit->dateTime();
    QDateTime stop = stopEdit->dateTime();
    if (start < stop)
        emit signal_dataTime(start, stop);
    else
        QMessageBox::about(this, tr("warning"), tr("The start time cannot be greater than the stop time"));
}

void DataQueryTime::slot_cancel()
{
    hide();
}
