#ifndef DATALABEL_H
#define DATALABEL_H

#include <QLabel>

// The reading panel's value in large digits, always lit.
class DataLabel : public QLabel
{
    Q_OBJECT
public:
    explicit DataLabel(const QString &text, QWidget *parent = nullptr);
    ~DataLabel() override;
};

#endif
