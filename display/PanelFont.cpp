#include "display/PanelFont.h"

#include <QFont>
#include <QtMath>

QFont PanelFont::make(int pointSize, int weight)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qRound(pointSize * 96 / 72.0));
    font.setWeight(weight);
    return font;
}
