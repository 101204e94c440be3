#include "history/TextExport.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextStream>

#include <utility>

TextExport::TextExport(const QAbstractItemModel *model)
    : model(model)
{
}

void TextExport::setProgress(Progress progress)
{
    this->progress = std::move(progress);
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
            return failWrite(file.errorString());
        file.close();
        if (file.error() != QFileDevice::NoError)
            return fail(Failure::Write, file.errorString());
        return true;
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        // In a folder the user may not write to, a writable file is still
        // written, in place.
        if (target.isFile())
            return writeInPlace(path);
        return fail(Failure::Open, file.errorString());
    }
    if (!writeTo(&file)) {
        const QString error = file.errorString();
        file.cancelWriting();
        return failWrite(error);
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
        if (progress && row % progressStep == 0 && !progress(row, rows))
            return fail(Failure::Cancelled, tr("The export was cancelled."));
        out << row + 1;
        for (int column = 0; column < columns; ++column)
            out << tab << model->index(row, column).data(Qt::DisplayRole).toString();
        out << QLatin1Char('\n');
    }
    out.flush();
    return out.status() == QTextStream::Ok;
}

// The whole text goes to a temporary file first, so a cancel or a failure
// before the copy leaves the file as it was.
bool TextExport::writeInPlace(const QString &path)
{
    QTemporaryFile copy(QDir::temp().filePath(QStringLiteral("quorvane-export-XXXXXX.txt")));
    if (!copy.open())
        return fail(Failure::Open, copy.errorString());
    if (!writeTo(&copy) || !copy.flush())
        return failWrite(copy.errorString());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(Failure::Open, file.errorString());
    copy.seek(0);
    while (!copy.atEnd()) {
        if (file.write(copy.read(1 << 20)) < 0)
            return fail(Failure::Write, file.errorString());
    }
    if (!file.flush())
        return fail(Failure::Write, file.errorString());
    file.close();
    return file.error() == QFileDevice::NoError || fail(Failure::Write, file.errorString());
}

bool TextExport::fail(Failure failure, const QString &text)
{
    lastFailure = failure;
    lastError = text;
    return false;
}

// A write that stopped because of a cancel stays Cancelled.
bool TextExport::failWrite(const QString &text)
{
    return lastFailure == Failure::Cancelled ? false : fail(Failure::Write, text);
}

TextExport::Failure TextExport::failure() const
{
    return lastFailure;
}

QString TextExport::errorString() const
{
    return lastError;
}
