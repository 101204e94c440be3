#ifndef TEXTEXPORT_H
#define TEXTEXPORT_H

#include <QCoreApplication>
#include <QString>

#include <functional>

class QAbstractItemModel;
class QIODevice;

// Writes a table as one header line and one numbered, tab-separated line per
// row, exactly the texts the model shows (DisplayRole).
class TextExport
{
    Q_DECLARE_TR_FUNCTIONS(TextExport)
public:
    enum class Failure { None, Open, Write, Cancelled };
    // Told rowsWritten of rowCount every few thousand rows; false stops the
    // export as Cancelled.
    using Progress = std::function<bool(int rowsWritten, int rowCount)>;
    static constexpr int progressStep = 16384;

    explicit TextExport(const QAbstractItemModel *model);

    void setProgress(Progress progress);

    // The file is replaced only when every byte was written; on failure or
    // cancel an existing file keeps its old content and no new one is left.
    // In a folder that cannot take a new file, a writable file is written in
    // place, after a complete copy was written elsewhere.
    bool write(const QString &path);
    Failure failure() const;
    QString errorString() const;

    QString headerLine() const;

private:
    bool writeTo(QIODevice *device);
    bool writeInPlace(const QString &path);
    bool fail(Failure failure, const QString &text);
    bool failWrite(const QString &text);

    const QAbstractItemModel *model;
    Progress progress;
    Failure lastFailure = Failure::None;
    QString lastError;
};

#endif
