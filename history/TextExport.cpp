#include "history/TextExport.h"

#include "history/ExportRows.h"
#include "history/SafeReplace.h"

#include <QFile>
#include <QTextStream>

TextExport::TextExport(const ExportRows *rows)
    : ExportJob(rows)
{
}

QString TextExport::headerLine() const
{
    const QChar tab(QLatin1Char('\t'));
    return tr("Num") + tab + tr("Time") + tab + tr("Data") + tab + tr("Unit") + tab + tr("Func")
        + QLatin1Char('\n');
}

bool TextExport::write(const QString &path)
{
    clearFailure();
    SafeReplace replace(path);
    if (!replace.begin())
        return fail(Failure::Open, replace.errorString());
    QFile file(replace.writePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return fail(Failure::Open, file.errorString());
    if (!writeTo(&file) || !file.flush())
        return fail(Failure::Write, file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(Failure::Write, file.errorString());
    return replace.commit() || fail(Failure::Write, replace.errorString());
}

bool TextExport::writeTo(QIODevice *device)
{
    QTextStream out(device);
    out << headerLine();
    const QChar tab(QLatin1Char('\t'));
    const int count = rowCount();
    const int columns = columnCount();
    for (int row = 0; row < count && out.status() == QTextStream::Ok; ++row) {
        if (row % progressStep == 0 && !report(row))
            return false;
        out << row + 1;
        for (int column = 0; column < columns; ++column)
            out << tab << rows->cellText(row, column);
        out << QLatin1Char('\n');
    }
    out.flush();
    return out.status() == QTextStream::Ok;
}
