#ifndef COMSET_H
#define COMSET_H

#include <QDialog>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

// Lets the user pick the serial port the meter is on. "OK" reports the name;
// the dialog itself opens nothing.
class ComSet : public QDialog
{
    Q_OBJECT
public:
    explicit ComSet(QWidget *parent);

signals:
    void signal_serialName(const QString &name);

public slots:
    void slot_ok();
    void slot_cancel();

private:
    void fillPorts();
    void fitBoxToPorts();

    QLabel *comLabel;
    QComboBox *comBox;
    QPushButton *okButton;
    QPushButton *cancelButton;
    QHBoxLayout *portRow;
    QHBoxLayout *buttonRow;
    QVBoxLayout *mainLayout;
};

#endif
