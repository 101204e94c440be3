#include "display/FuncLabel.h"

#include <QFont>

FuncLabel::FuncLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setStyleSheet(QStringLiteral("color: rgb(0, 255, 0);"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(20);
    font.setWeight(QFont::Bold);
    setFont(font);
}

FuncLabel::~FuncLabel() = default;
