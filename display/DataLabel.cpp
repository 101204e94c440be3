#include "display/DataLabel.h"

#include "display/PanelFont.h"

#include <QFont>

DataLabel::DataLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setStyleSheet(QStringLiteral("color: rgb(0, 255, 0);"));
    setFont(PanelFont::make(100, QFont::Bold));
}

DataLabel::~DataLabel() = default;
