#include "history/HistoryTableModel.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <limits>
#include <utility>

const qint64 HistoryTableModel::noTime = std::numeric_limits<qint64>::min();

namespace {
const qint64 SecondsPerDay = 86400;

QString timeText(qint64 key)
{
    if (key == HistoryTableModel::noTime)
        return QString();
    const QDate date = QDate::fromJulianDay(key / SecondsPerDay);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(key % SecondsPerDay) * 1000);
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ')
        + time.toString(QStringLiteral("hh:mm:ss"));
}
}  // namespace

// The table shows the stored clock time as it is, so no conversion is needed.
qint64 HistoryTableModel::timeKey(const QDateTime &time)
{
    if (!time.isValid())
        return noTime;
    return time.date().toJulianDay() * SecondsPerDay + time.time().msecsSinceStartOfDay() / 1000;
}

void HistoryTableModel::Rows::reserve(int count)
{
    rows.reserve(count);
    // Value texts are a few characters each.
    values.reserve(count * 6);
}

void HistoryTableModel::Rows::append(
    qint64 time, const QString &value, const QString &unit, const QString &function)
{
    const Row row
        = {time, quint32(values.size()), quint32(value.size()), intern(unit), intern(function)};
    values.append(value);
    rows.append(row);
}

quint32 HistoryTableModel::Rows::intern(const QString &text)
{
    // Neighbouring rows mostly share their texts.
    if (!texts.isEmpty() && texts.at(int(lastText)) == text)
        return lastText;
    const auto found = textIndex.constFind(text);
    if (found != textIndex.constEnd()) {
        lastText = found.value();
        return lastText;
    }
    lastText = quint32(texts.size());
    texts.append(text);
    textIndex.insert(text, lastText);
    return lastText;
}

HistoryTableModel::HistoryTableModel(const QStringList &headers, QObject *parent)
    : QAbstractTableModel(parent), headers(headers)
{
}

HistoryTableModel::~HistoryTableModel() = default;

void HistoryTableModel::setRows(Rows rows)
{
    beginResetModel();
    content = std::move(rows);
    // Only needed while collecting.
    content.textIndex.clear();
    content.values.squeeze();
    endResetModel();
}

int HistoryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : content.rows.size();
}

int HistoryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : headers.size();
}

QVariant HistoryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= content.rows.size() || index.column() >= headers.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

QString HistoryTableModel::cellText(int row, int column) const
{
    const Rows::Row &r = content.rows.at(row);
    switch (column) {
    case 0:
        return timeText(r.time);
    case 1:
        return content.values.mid(int(r.valueOffset), int(r.valueLength));
    case 2:
        return content.texts.at(int(r.unit));
    case 3:
        return content.texts.at(int(r.function));
    default:
        return QString();
    }
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < headers.size())
        return headers.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags HistoryTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}
