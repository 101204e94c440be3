#ifndef FUNCLABEL_H
#define FUNCLABEL_H

#include <QLabel>

// The reading panel's measurement function, always lit.
class FuncLabel : public QLabel
{
    Q_OBJECT
public:
    explicit FuncLabel(const QString &text, QWidget *parent = nullptr);
    ~FuncLabel() override;
};

#endif
