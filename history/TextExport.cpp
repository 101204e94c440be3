#include "history/TextExport.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

TextExport::TextExport(const QAbstractItemModel *model)
    : model(model)
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
    lastFailure = Failure::None;
    lastError.clear();

    // A device or pipe cannot be replaced by a renamed temporary file (and as
    // root the rename would even succeed and destroy the device node), so it
    // is written directly; every write error is still caught below.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return fail(Failure::Open, file.errorString());
        if (!writeTo(&file) || !file.flush())
            return fail(Failure::Write, file.errorString());
        file.close();
        if (file.error() != QFileDevice::NoError)
            return fail(Failure::Write, file.errorString());
        return true;
    }

    QSaveFile file(path);
    // In a folder the user may not write to, a writable file is still
    // written, in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return fail(Failure::Open, file.errorString());
    if (!writeTo(&file)) {
        const QString error = file.errorString();
        file.cancelWriting();
        return fail(Failure::Write, error);
    }
    if (!file.commit())
        return fail(Failure::Write, file.errorString());
    return true;
}

bool TextExport::writeTo(QIODevice *device)
{
    QTextStream out(device);
    out << headerLine();
    const QChar tab(QLatin1Char('\t'));
    const int rows = model ? model->rowCount() : 0;
    const int columns = model ? model->columnCount() : 0;
    for (int row = 0; row < rows && out.status() == QTextStream::Ok; ++row) {
        out << row + 1;
        for (int column = 0; column < columns; ++column)
            out << tab << model->index(row, column).data(Qt::DisplayRole).toString();
        out << QLatin1Char('\n');
    }
    out.flush();
    return out.status() == QTextStream::Ok;
}

bool TextExport::fail(Failure failure, const QString &text)
{
    lastFailure = failure;
    lastError = text;
    return false;
}

TextExport::Failure TextExport::failure() const
{
    return lastFailure;
}

QString TextExport::errorString() const
{
    return lastError;
}
