#ifndef HELPWINDOW_H
#define HELPWINDOW_H

#include <QLocale>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;
class QUrl;

// The help pages in a window of the program's own: a contents list beside
// the page, and a search box that narrows the list to the pages holding the
// text and finds it in the page shown. Never modal, needs no browser; Esc
// and Ctrl+W close it.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    // helpDirectory holds the English pages and, in zh_CN/, their Chinese
    // versions, shown when the locale is Chinese.
    HelpWindow(const QString &helpDirectory, const QLocale &locale, QWidget *parent = nullptr);

    // Shows the owner's help window, made on first use, with the pages
    // installed beside the program in the system language.
    static HelpWindow *showFor(QWidget *owner);

    // Opens a page by its file name (e.g. "port.html"); false when the
    // pages hold none of that name.
    bool openPage(const QString &name);
    QString pageDirectory() const;
    QString currentPage() const;
    QString currentTitle() const;

private slots:
    void slot_contents();
    void slot_sourceChanged(const QUrl &source);
    void slot_search();
    void slot_findNext();

private:
    void loadContents();
    // Selects the first match from the top of the page; false when none.
    bool findFromTop(const QString &text);

    static const char *const Pages[];

    QString directory;
    QListWidget *contents;
    QLineEdit *searchEdit;
    // Says when no page holds the searched text.
    QLabel *searchNote;
    QTextBrowser *browser;
};

#endif
