#include "display/StateLabel.h"

#include "display/PanelFont.h"

#include <QFont>

const char *const StateLabel::LitStyle = "color: rgb(0, 255, 0);";
const char *const StateLabel::DarkStyle = "color: black";

StateLabel::StateLabel(const QString &text, int pointSize, int weight, QWidget *parent)
    : QLabel(text, parent)
{
    setStyleSheet(QLatin1String(LitStyle));
    setFont(PanelFont::make(pointSize, weight));
}

StateLabel::~StateLabel() = default;

void StateLabel::setLight(bool on)
{
    const QLatin1String style(on ? LitStyle : DarkStyle);
    // Re-applying an unchanged style sheet still repolishes the widget.
    if (styleSheet() != style)
        setStyleSheet(style);
}
