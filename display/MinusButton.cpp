#include "display/MinusButton.h"

#include "display/PanelFont.h"

#include <QFont>

const char *const MinusButton::LitStyle = "background-color: rgb(0, 255, 0);";
const char *const MinusButton::DarkStyle = "background-color: black";

MinusButton::MinusButton(QWidget *parent)
    : QFrame(parent)
{
    setStyleSheet(QLatin1String(LitStyle));
    setFont(PanelFont::make(24, QFont::Bold));
    setFixedSize(50, 10);
}

MinusButton::~MinusButton() = default;

void MinusButton::setLight(bool on)
{
    const QLatin1String style(on ? LitStyle : DarkStyle);
    if (styleSheet() != style)
        setStyleSheet(style);
}
