#ifndef TABLE_H
#define TABLE_H

#include <QTableWidget>

class QDateTime;
class QStringList;

// A table of samples with fixed, evenly stretched columns; used live and by
// the history window.
class Table : public QTableWidget
{
    Q_OBJECT
public:
    explicit Table(const QStringList &headers, QWidget *parent = nullptr);
    ~Table() override;

    // Appends a row for the current reading, stamped with the given time.
    void addReading(const QDateTime &time);
    void clearRows();
};

#endif
