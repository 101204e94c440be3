#ifndef TEXTEXPORT_H
#define TEXTEXPORT_H

#include "history/ExportJob.h"

class QIODevice;

// Writes a table as one header line and one numbered, tab-separated line per
// row, exactly the texts the table shows.
class TextExport : public ExportJob
{
    Q_DECLARE_TR_FUNCTIONS(TextExport)
public:
    // Rows between two progress reports.
    static constexpr int progressStep = 16384;

    explicit TextExport(const ExportRows *rows);

    // The file is replaced only when every byte was written (see
    // SafeReplace); on failure or cancel it keeps its old content and no
    // new one is left.
    bool write(const QString &path);

    QString headerLine() const;

private:
    bool writeTo(QIODevice *device);
};

#endif
