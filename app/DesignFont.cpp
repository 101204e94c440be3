#include "app/DesignFont.h"

#include <QApplication>
#include <QFont>

void DesignFont::apply()
{
    QFont font = QApplication::font();
    font.setFamily(QStringLiteral("Arial"));
    QApplication::setFont(font);
}
