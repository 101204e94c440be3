#include "display/ScaleBar.h"

#include "display/Triangle.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QFrame>

namespace {
const char *const markStyle =
    "background-color: rgb(0, 255, 0);border-radius: 3px; color: rgb(255, 255, 255);";
const char *const numberStyle = "color: rgb(0, 255, 0);";

// A plain frame used only for its look: it takes no focus and is no button
// to a screen reader. It keeps its place in the grid when hidden so the scale
// does not shift as the bar moves.
QFrame *makeMark(int width, int height, QWidget *parent)
{
    auto *mark = new QFrame(parent);
    mark->setFixedSize(width, height);
    mark->setStyleSheet(QLatin1String(markStyle));
    QSizePolicy policy = mark->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    mark->setSizePolicy(policy);
    return mark;
}

// The numbers sit in fixed 15-pixel cells. The default font of some desktops
// is too wide for two digits there and clips "20" to "2("; shrink it just
// enough that the widest number fits, leaving narrower fonts untouched.
QFont numberFont(const QFont &base)
{
    QFont font = base;
    while (font.pointSizeF() > 5 && QFontMetrics(font).horizontalAdvance(QStringLiteral("20")) > 15)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}
}

ScaleBar::ScaleBar(QWidget *parent)
    : QWidget(parent), layout(new QGridLayout(this)), triangle(nullptr)
{
    for (int k = 0; k < SegmentCount; ++k) {
        const bool major = k % 10 == 0;
        const int height = major ? 25 : (k % 2 == 1 ? 15 : 20);
        QFrame *segment = makeMark(4, height, this);
        layout->addWidget(segment, 0, k, Qt::AlignBottom | Qt::AlignHCenter);
        segments.append(segment);

        if (major) {
            auto *label = new QLabel(QString::number(k / 2), this);
            label->setAlignment(Qt::AlignLeft);
            label->setFixedSize(15, 16);
            label->setStyleSheet(QLatin1String(numberStyle));
            label->setFont(numberFont(label->font()));
            layout->addWidget(label, 1, k, 1, 2, Qt::AlignLeft);
            scaleLabels.append(label);
        }

        const int dotSize = major ? 4 : 2;
        QFrame *dot = makeMark(dotSize, dotSize, this);
        layout->addWidget(dot, 2, k, Qt::AlignTop | Qt::AlignHCenter);
        dots.append(dot);
    }
    triangle = new Triangle(QStringLiteral("22.5"), this);
    QSizePolicy policy = triangle->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    triangle->setSizePolicy(policy);
    layout->addWidget(triangle, 0, SegmentCount, Qt::AlignBottom | Qt::AlignHCenter);
}

ScaleBar::~ScaleBar() = default;

void ScaleBar::setSegmentsVisible(bool on)
{
    for (QFrame *segment : qAsConst(segments))
        segment->setVisible(on);
}

void ScaleBar::setLabelsVisible(bool on)
{
    for (QLabel *label : qAsConst(scaleLabels))
        label->setVisible(on);
}

void ScaleBar::setDotsVisible(bool on)
{
    for (QFrame *dot : qAsConst(dots))
        dot->setVisible(on);
}

void ScaleBar::setAllVisible(bool on)
{
    setSegmentsVisible(on);
    setLabelsVisible(on);
    setDotsVisible(on);
    triangle->setVisible(on);
}

void ScaleBar::setLevel(int n)
{
    setLabelsVisible(true);
    setDotsVisible(true);
    // Each segment is set once to its final state rather than hidden and
    // shown again, which would only cost a second layout pass per tick.
    for (int k = 0; k < SegmentCount; ++k)
        segments[k]->setVisible(k <= n);
    triangle->setVisible(n > SegmentCount);
}
