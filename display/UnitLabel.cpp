#include "display/UnitLabel.h"

#include "display/PanelFont.h"

#include <QFont>

UnitLabel::UnitLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setStyleSheet(QStringLiteral("color: rgb(0, 255, 0);"));
    setFont(PanelFont::make(24, QFont::Bold));
}

UnitLabel::~UnitLabel() = default;
