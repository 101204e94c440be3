#ifndef ABOUT_H
#define ABOUT_H

#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

// The program's name and version and the server readings go to, run modally
// and built afresh for each showing.
class About : public QDialog
{
    Q_OBJECT
public:
    explicit About(QWidget *parent);

public slots:
    void slot_button();

private:
    QLabel *nameLabel;
    QLabel *versionLabel;
    QLabel *serverLabel;
    QPushButton *okButton;
    QHBoxLayout *nameRow;
    QHBoxLayout *versionRow;
    QHBoxLayout *serverRow;
    QHBoxLayout *buttonRow;
    QVBoxLayout *mainLayout;
};

#endif
