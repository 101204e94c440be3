#include "display/UnitLabel.h"

#include <QFont>

UnitLabel::UnitLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setStyleSheet(QStringLiteral("color: rgb(0, 255, 0);"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(24);
    font.setWeight(QFont::Bold);
    setFont(font);
}

UnitLabel::~UnitLabel() = default;
