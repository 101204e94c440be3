#include "display/FuncLabel.h"

#include "display/PanelFont.h"

#include <QFont>

FuncLabel::FuncLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setStyleSheet(QStringLiteral("color: rgb(0, 255, 0);"));
    setFont(PanelFont::make(20, QFont::Bold));
}

FuncLabel::~FuncLabel() = default;
