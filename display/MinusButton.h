#ifndef MINUSBUTTON_H
#define MINUSBUTTON_H

#include <QFrame>

// The reading panel's minus sign: a flat bar, lit or dark. A frame rather
// than a button, so it takes no focus and no screen reader calls it one.
class MinusButton : public QFrame
{
    Q_OBJECT
public:
    static const char *const LitStyle;
    static const char *const DarkStyle;

    explicit MinusButton(QWidget *parent = nullptr);
    ~MinusButton() override;

    void setLight(bool on);
};

#endif
