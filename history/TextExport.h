#ifndef TEXTEXPORT_H
#define TEXTEXPORT_H

#include <QCoreApplication>
#include <QString>

class QAbstractItemModel;
class QIODevice;

// Writes a table as one header line and one numbered, tab-separated line per
// row, exactly the texts the model shows (DisplayRole).
class TextExport
{
    Q_DECLARE_TR_FUNCTIONS(TextExport)
public:
    enum class Failure { None, Open, Write };

    explicit TextExport(const QAbstractItemModel *model);

    // The file is replaced only when every byte was written; on failure an
    // existing file keeps its old content. In a folder that cannot take a
    // new file, a writable file is written in place.
    bool write(const QString &path);
    Failure failure() const;
    QString errorString() const;

    QString headerLine() const;

private:
    bool writeTo(QIODevice *device);
    bool fail(Failure failure, const QString &text);

    const QAbstractItemModel *model;
    Failure lastFailure = Failure::None;
    QString lastError;
};

#endif
