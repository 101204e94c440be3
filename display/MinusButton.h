#ifndef MINUSBUTTON_H
#define MINUSBUTTON_H

#include <QPushButton>

// The reading panel's minus sign: a flat bar, lit or dark. A button only in
// form; nothing listens to it.
class MinusButton : public QPushButton
{
    Q_OBJECT
public:
    static const char *const LitStyle;
    static const char *const DarkStyle;

    explicit MinusButton(const QString &text, QWidget *parent = nullptr);
    ~MinusButton() override;

    void setLight(bool on);
};

#endif
