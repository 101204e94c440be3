#ifndef WIDGET_H
#define WIDGET_H

#include <QWidget>

class MaxMin;
class QHBoxLayout;
class QSplitter;
class ShowData;
class Table;
class Wave;

// The main window's central widget: reading panel, live table and max/min
// strip on the left, trend plot on the right. Acquisition control drives
// all of them through it, one call per sample.
class Widget : public QWidget
{
    Q_OBJECT
public:
    static const int MaxRows = 500;

    explicit Widget(QWidget *parent = nullptr);
    ~Widget() override;

    void clearForStart();
    void setLinkIndicator(bool on);
    void stopUpdate();
    void addSample();
    void showReading();
    void updateBar();

    ShowData *panel() const { return showData; }
    Table *liveTable() const { return table; }
    MaxMin *maxMinPanel() const { return maxMin; }
    Wave *plot() const { return wave; }

public slots:
    void slot_funcRangeChange();

private:
    // The plot starts anew with the current range's limits.
    void restartPlot();

    QSplitter *mainSplitter;
    QSplitter *leftSplitter;
    QHBoxLayout *layout;
    ShowData *showData;
    Table *table;
    MaxMin *maxMin;
    Wave *wave;
    bool holdLatched = false;
};

#endif
