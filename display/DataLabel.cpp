#include "display/DataLabel.h"

#include <QFont>

DataLabel::DataLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setStyleSheet(QStringLiteral("color: rgb(0, 255, 0);"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(100);
    font.setWeight(QFont::Bold);
    setFont(font);
}

DataLabel::~DataLabel() = default;
