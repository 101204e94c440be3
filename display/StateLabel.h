#ifndef STATELABEL_H
#define STATELABEL_H

#include <QLabel>

// One status indicator of the reading panel; dark means black on black.
class StateLabel : public QLabel
{
    Q_OBJECT
public:
    static const char *const LitStyle;
    static const char *const DarkStyle;

    StateLabel(const QString &text, int pointSize, int weight, QWidget *parent = nullptr);
    ~StateLabel() override;

    void setLight(bool on);
};

#endif
