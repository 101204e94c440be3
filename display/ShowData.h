#ifndef SHOWDATA_H
#define SHOWDATA_H

#include <QString>
#include <QWidget>

class DataLabel;
class FuncLabel;
class MinusButton;
class QGridLayout;
class QHBoxLayout;
class QVBoxLayout;
class ScaleBar;
class StateLabel;
class UnitLabel;

// The black panel that repeats the meter's own display. It reads the
// current Reading directly and keeps no copy of it.
class ShowData : public QWidget
{
    Q_OBJECT
public:
    explicit ShowData(QWidget *parent = nullptr);
    ~ShowData() override;

    void refreshPanel();
    // Shows a value text; a leading minus sign moves onto the minus bar.
    void setDataText(QString text);
    void updateMaxMinState();
    void setRs232State(bool on);
    void setBarValue(double v);

private:
    // Names the function, value and unit after what they show, the value
    // with its sign, for screen readers.
    void nameReading(bool negative);

    StateLabel *autoLabel;
    StateLabel *manualLabel;
    StateLabel *rs232Label;
    StateLabel *holdLabel;
    StateLabel *relativeLabel;
    StateLabel *batteryLabel;
    StateLabel *maxLabel;
    StateLabel *minLabel;
    FuncLabel *funcLabel;
    MinusButton *minusButton;
    DataLabel *dataLabel;
    UnitLabel *unitLabel;
    ScaleBar *scaleBar;
    QGridLayout *stateLayout;
    QHBoxLayout *readingLayout;
    QHBoxLayout *valueRowLayout;
    QVBoxLayout *mainLayout;
    QVBoxLayout *funcLayout;
    QVBoxLayout *valueLayout;
    QVBoxLayout *unitLayout;
    QVBoxLayout *maxMinLayout;
    bool blinkPhase = true;
};

#endif
