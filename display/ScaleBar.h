#ifndef SCALEBAR_H
#define SCALEBAR_H

#include <QList>
#include <QWidget>

class QGridLayout;
class QLabel;
class QFrame;
class Triangle;

// The meter's analogue bar: 45 segments over a 0 to 20 scale with a dot
// under every segment and an over-range arrow at the right end. A segment
// that is off is hidden so the black panel shows through.
class ScaleBar : public QWidget
{
    Q_OBJECT
public:
    static const int SegmentCount = 45;

    explicit ScaleBar(QWidget *parent = nullptr);
    ~ScaleBar() override;

    void setSegmentsVisible(bool on);
    void setLabelsVisible(bool on);
    void setDotsVisible(bool on);
    void setAllVisible(bool on);
    // Lights segments 0..n (none for n < 0, all for n >= 44); the arrow
    // shows only above n = 45.
    void setLevel(int n);

    const QList<QFrame *> &segmentButtons() const { return segments; }
    const QList<QLabel *> &numberLabels() const { return scaleLabels; }
    const QList<QFrame *> &dotButtons() const { return dots; }
    const Triangle *arrow() const { return triangle; }

private:
    QGridLayout *layout;
    QList<QFrame *> segments;
    QList<QLabel *> scaleLabels;
    QList<QFrame *> dots;
    Triangle *triangle;
};

#endif
