#ifndef UNITLABEL_H
#define UNITLABEL_H

#include <QLabel>

// The reading panel's unit, always lit.
class UnitLabel : public QLabel
{
    Q_OBJECT
public:
    explicit UnitLabel(const QString &text, QWidget *parent = nullptr);
    ~UnitLabel() override;
};

#endif
