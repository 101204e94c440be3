#ifndef DATAQUERYTIME_H
#define DATAQUERYTIME_H

#include <QDialog>

class QDateTime;
class QDateTimeEdit;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

// Chooses the time range of stored readings to look at. "OK" with a start
// strictly earlier than the stop reports the range; anything else is refused.
class DataQueryTime : public QDialog
{
    Q_OBJECT
public:
    explicit DataQueryTime(QWidget *parent);

signals:
    void signal_dataTime(QDateTime &start, QDateTime &stop);

public slots:
    void slot_ok();
    void slot_cancel();

private:
    QLabel *startLabel;
    QLabel *stopLabel;
    QDateTimeEdit *startEdit;
    QDateTimeEdit *stopEdit;
    QPushButton *okButton;
    QPushButton *cancelButton;
    QGridLayout *grid;
    QHBoxLayout *buttonRow;
    QVBoxLayout *mainLayout;
};

#endif
