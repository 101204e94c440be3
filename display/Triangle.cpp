#include "display/Triangle.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPoint>
#include <QPolygon>

Triangle::Triangle(const QString &text, QWidget *parent)
    : QWidget(parent), text(text)
{
    setFixedSize(25, 20);
}

Triangle::~Triangle() = default;

void Triangle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);

    const QColor green(0, 255, 0);
    painter.setPen(green);
    painter.setBrush(QBrush(green, Qt::SolidPattern));
    const QPolygon arrow({QPoint(0, 0), QPoint(0, 20), QPoint(25, 10)});
    painter.drawPolygon(arrow, Qt::OddEvenFill);

    painter.setPen(QColor(255, 0, 0));
    QFont font = painter.font();
    font.setPointSize(6);
    painter.setFont(font);
    painter.drawText(QPoint(2, 13), text);
}
