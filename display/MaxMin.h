#ifndef MAXMIN_H
#define MAXMIN_H

#include <QString>
#include <QWidget>

class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;

// The highest and lowest reading since the last reset, each in a read-only
// field. An overload is recognised by the "L" in its value text.
class MaxMin : public QWidget
{
    Q_OBJECT
public:
    explicit MaxMin(QWidget *parent = nullptr);
    ~MaxMin() override;

    void reset();
    void updateMax();
    void updateMin();
    QString maxText() const;
    QString minText() const;

private:
    QLabel *maxLabel;
    QLabel *minLabel;
    QLineEdit *maxEdit;
    QLineEdit *minEdit;
    QHBoxLayout *innerLayout;
    QGroupBox *groupBox;
    QHBoxLayout *outerLayout;
    double maxValue = 0.0;
    double minValue = 0.0;
};

#endif
