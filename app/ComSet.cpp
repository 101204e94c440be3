#include "app/ComSet.h"

#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

namespace {
const int DialogWidth = 230;
const int DialogHeight = 150;
const int MinimumBoxWidth = 70;
// Typed paths such as /dev/serial/by-id/... links run long: the box shows
// this many characters whole; the tip shows any longer one.
const int TypedPathLength = 32;
}

ComSet::ComSet(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Serial Port Setup"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setFixedSize(DialogWidth, DialogHeight);
    setStyleSheet(QStringLiteral("font: 14pt"));

    comLabel = new QLabel(tr("COM:"), this);
    comBox = new QComboBox(this);
    okButton = new QPushButton(tr("OK"));
    cancelButton = new QPushButton(tr("Cancel"));
    portRow = new QHBoxLayout;
    buttonRow = new QHBoxLayout;
    mainLayout = new QVBoxLayout(this);

    // Devices such as a simulator's pseudo-terminal or a /dev/serial/by-id
    // link are not enumerated, so the user may type a path.
    comBox->setEditable(true);
    // Device paths are case-sensitive: Enter must not turn a typed
    // "TTYS0" into a listed "ttyS0".
    comBox->completer()->setCaseSensitivity(Qt::CaseSensitive);
    comBox->setFixedWidth(MinimumBoxWidth);
    comBox->setAccessibleName(tr("Serial port"));
    connect(comBox, &QComboBox::editTextChanged, comBox, &QComboBox::setToolTip);
    okButton->setFixedSize(70, 30);
    cancelButton->setFixedSize(70, 30);

    portRow->addWidget(comLabel);
    portRow->addWidget(comBox, 0);

    buttonRow->addWidget(okButton);
    buttonRow->addWidget(cancelButton);

    mainLayout->addSpacing(30);
    mainLayout->addLayout(portRow);
    mainLayout->setAlignment(portRow, Qt::AlignCenter);
    mainLayout->addStretch();
    mainLayout->addLayout(buttonRow);

    connect(okButton, &QPushButton::clicked, this, &ComSet::slot_ok);
    connect(cancelButton, &QPushButton::clicked, this, &ComSet::slot_cancel);

    fillPorts();
    fitBoxToPorts();
    comBox->setToolTip(comBox->currentText());
}

void ComSet::fillPorts()
{
    comBox->clear();
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        comBox->addItem(port.portName());
}

// Room for the longest listed name and for a typed path of TypedPathLength
// characters; the dialog grows to hold the box.
void ComSet::fitBoxToPorts()
{
    ensurePolished();
    const QFontMetrics metrics = comBox->fontMetrics();
    int textWidth = metrics.averageCharWidth() * TypedPathLength;
    for (int i = 0; i < comBox->count(); ++i)
        textWidth = qMax(textWidth, metrics.horizontalAdvance(comBox->itemText(i)));

    QStyleOptionComboBox option;
    option.initFrom(comBox);
    option.editable = true;
    const QSize contents(textWidth, metrics.height());
    const int wanted = comBox->style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, comBox).width();
    comBox->setFixedWidth(qMax(MinimumBoxWidth, wanted));

    const QMargins margins = mainLayout->contentsMargins();
    const int spacing = qMax(0, portRow->spacing());
    const int needed = margins.left() + comLabel->sizeHint().width() + spacing + comBox->width() + margins.right();
    setFixedSize(qMax(DialogWidth, needed), DialogHeight);
}

void ComSet::slot_ok()
{
    emit signal_serialName(comBox->currentText());
    hide();
}

void ComSet::slot_cancel()
{
    hide();
}
