#ifndef TRIANGLE_H
#define TRIANGLE_H

#include <QString>
#include <QWidget>

class QPaintEvent;

// The bar graph's over-range arrow: a green arrowhead with a small red label.
class Triangle : public QWidget
{
    Q_OBJECT
public:
    Triangle(const QString &text, QWidget *parent = nullptr);
    ~Triangle() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text;
};

#endif
