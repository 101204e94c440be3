#ifndef MINETIME_H
#define MINETIME_H

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// Chooses the sampling interval: automatic (a tick every 60 ms) or a manual
// 1 to 3600 seconds. The main window reads timeInterval() at every Start.
class MineTime : public QDialog
{
    Q_OBJECT
public:
    explicit MineTime(QWidget *parent);

    int timeInterval() const;

signals:
    void signal_mineTime(int interval);

public slots:
    void slot_checkState(int state);
    void slot_ok();
    void slot_cancel();

private:
    QCheckBox *autoCheckBox;
    QGroupBox *manualGroupBox;
    QLabel *intervalLabel;
    QLineEdit *intervalEdit;
    QLabel *secondLabel;
    QLabel *noteLabel;
    QPushButton *okButton;
    QPushButton *cancelButton;
    QHBoxLayout *checkRow;
    QHBoxLayout *intervalRow;
    QHBoxLayout *noteRow;
    QHBoxLayout *buttonRow;
    QVBoxLayout *groupLayout;
    QVBoxLayout *mainLayout;
};

#endif
