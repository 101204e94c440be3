#include "display/Table.h"

#include "meter/Reading.h"

#include <QDateTime>
#include <QHeaderView>
#include <QStringList>
#include <QTableWidgetItem>

Table::Table(const QStringList &headers, QWidget *parent)
    : QTableWidget(parent)
{
    setColumnCount(headers.size());
    setHorizontalHeaderLabels(headers);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Tab leaves the table for the next control; the arrows move in it.
    setTabKeyNavigation(false);
}

Table::~Table() = default;

void Table::addReading(const QDateTime &time)
{
    const Reading &reading = Reading::current();
    QString data = reading.valueText + QLatin1Char(' ') + reading.unitText;
    if (reading.negative)
        data.prepend(QLatin1Char('-'));
    const QString cells[] = {time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), data,
                             reading.functionText};

    const int row = rowCount();
    insertRow(row);
    int column = 0;
    for (const QString &text : cells) {
        auto *item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        setItem(row, column++, item);
    }
    scrollToBottom();
}

void Table::clearRows()
{
    // One removal instead of row by row: same result, one model reset.
    setRowCount(0);
}
