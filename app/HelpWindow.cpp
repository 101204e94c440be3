#include "app/HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

// The pages in reading order; their titles come from the pages themselves,
// so each language's contents list reads in that language.
const char *const HelpWindow::Pages[] = {
    "index.html",   "connecting.html", "port.html",    "interval.html",
    "acquisition.html", "display.html", "history.html", "simulator.html",
};

namespace {
const int PageRole = Qt::UserRole;
const int TextRole = Qt::UserRole + 1;
}

HelpWindow::HelpWindow(const QString &helpDirectory, const QLocale &locale, QWidget *parent)
    : QWidget(parent, Qt::Window), directory(helpDirectory)
{
    const QString chinese = helpDirectory + QStringLiteral("/zh_CN");
    if (locale.language() == QLocale::Chinese && QFileInfo::exists(chinese + QStringLiteral("/index.html")))
        directory = chinese;

    setWindowTitle(tr("Quorvane Help"));
    contents = new QListWidget;
    searchEdit = new QLineEdit;
    searchEdit->setPlaceholderText(tr("Search"));
    searchEdit->setClearButtonEnabled(true);
    searchEdit->setAccessibleName(tr("Search"));
    searchNote = new QLabel;
    searchNote->setWordWrap(true);
    searchNote->hide();
    browser = new QTextBrowser;
    // Only the pages' own links: nothing is handed to another program.
    browser->setOpenExternalLinks(false);

    auto *side = new QWidget;
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(searchEdit);
    sideLayout->addWidget(searchNote);
    sideLayout->addWidget(contents);
    auto *splitter = new QSplitter;
    splitter->addWidget(side);
    splitter->addWidget(browser);
    splitter->setStretchFactor(1, 1);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(splitter);
    resize(900, 650);

    loadContents();
    // Whole titles in the contents list, in either language.
    contents->setMinimumWidth(contents->sizeHintForColumn(0) + 2 * contents->frameWidth() + 8);
    connect(contents, &QListWidget::itemActivated, this, &HelpWindow::slot_contents);
    connect(contents, &QListWidget::itemClicked, this, &HelpWindow::slot_contents);
    connect(browser, &QTextBrowser::sourceChanged, this, &HelpWindow::slot_sourceChanged);
    connect(searchEdit, &QLineEdit::textChanged, this, &HelpWindow::slot_search);
    connect(searchEdit, &QLineEdit::returnPressed, this, &HelpWindow::slot_findNext);
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL + Qt::Key_W)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);

    if (contents->count() > 0)
        openPage(contents->item(0)->data(PageRole).toString());
    else
        browser->setPlainText(tr("The help pages are not installed in %1.").arg(QDir::toNativeSeparators(directory)));
}

HelpWindow *HelpWindow::showFor(QWidget *owner)
{
    auto *help = owner->findChild<HelpWindow *>(QString(), Qt::FindDirectChildrenOnly);
    if (!help)
        help = new HelpWindow(QCoreApplication::applicationDirPath() + QStringLiteral("/help"), QLocale(), owner);
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

void HelpWindow::loadContents()
{
    static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"),
                                          QRegularExpression::CaseInsensitiveOption);
    for (const char *page : Pages) {
        const QString name = QString::fromLatin1(page);
        QFile file(directory + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString html = QString::fromUtf8(file.readAll());
        const QRegularExpressionMatch match = title.match(html);
        auto *item = new QListWidgetItem(match.hasMatch() ? match.captured(1).trimmed() : name, contents);
        item->setData(PageRole, name);
        item->setData(TextRole, QTextDocumentFragment::fromHtml(html).toPlainText());
    }
}

bool HelpWindow::openPage(const QString &name)
{
    for (int row = 0; row < contents->count(); ++row) {
        if (contents->item(row)->data(PageRole).toString() == name) {
            browser->setSource(QUrl::fromLocalFile(directory + QLatin1Char('/') + name));
            return true;
        }
    }
    return false;
}

QString HelpWindow::pageDirectory() const
{
    return directory;
}

QString HelpWindow::currentPage() const
{
    return QFileInfo(browser->source().toLocalFile()).fileName();
}

QString HelpWindow::currentTitle() const
{
    return browser->documentTitle();
}

void HelpWindow::slot_contents()
{
    if (QListWidgetItem *item = contents->currentItem())
        openPage(item->data(PageRole).toString());
}

// Links inside the pages move the contents list along with them.
void HelpWindow::slot_sourceChanged(const QUrl &source)
{
    const QString page = QFileInfo(source.toLocalFile()).fileName();
    for (int row = 0; row < contents->count(); ++row) {
        QListWidgetItem *item = contents->item(row);
        if (item->data(PageRole).toString() == page) {
            const QSignalBlocker blocker(contents);
            contents->setCurrentItem(item);
        }
    }
}

// As the text is typed: the pages that hold it, and its first place from
// the top of the page shown (or of the first such page).
void HelpWindow::slot_search()
{
    const QString text = searchEdit->text().trimmed();
    const QString shown = currentPage();
    QListWidgetItem *first = nullptr;
    bool inCurrent = false;
    for (int row = 0; row < contents->count(); ++row) {
        QListWidgetItem *item = contents->item(row);
        const bool holds = item->data(TextRole).toString().contains(text, Qt::CaseInsensitive);
        item->setHidden(!holds);
        if (holds && !first)
            first = item;
        if (holds && item->data(PageRole).toString() == shown)
            inCurrent = true;
    }
    searchNote->setText(tr("No page contains \"%1\".").arg(text));
    searchNote->setVisible(!text.isEmpty() && !first);
    if (text.isEmpty() || !first)
        return;
    if (!inCurrent)
        openPage(first->data(PageRole).toString());
    findFromTop(text);
}

// Enter: the next place in the page, then round to the top again.
void HelpWindow::slot_findNext()
{
    const QString text = searchEdit->text().trimmed();
    if (!text.isEmpty() && !browser->find(text))
        findFromTop(text);
}

bool HelpWindow::findFromTop(const QString &text)
{
    browser->moveCursor(QTextCursor::Start);
    return browser->find(text);
}
