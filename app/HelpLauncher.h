#ifndef HELPLAUNCHER_H
#define HELPLAUNCHER_H

#include <QStringList>

class QObject;
class QString;

// Opens "help.chm" beside the program with the desktop's handler; where the
// desktop has none for it, opens the same pages as HTML in the browser.
// Never blocks the caller and reports nothing when neither works.
class HelpLauncher
{
public:
    static void open(QObject *parent);
    // The same for the help laid out in `directory` (help.chm and help/).
    static void openFrom(const QString &directory, QObject *parent);

private:
    static void queryHandler(const QStringList &mimeTypes, const QString &helpFile,
                             const QString &pages, QObject *parent);
    static void startViewer(const QString &path);
};

#endif
