#ifndef MODALSCRIPT_H
#define MODALSCRIPT_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QWidget;

// Answers the modal windows that a call opens, in order, from a timer, and
// records what each showed. A window beyond the script is closed, so a test
// never waits for a person.
class ModalScript : public QObject
{
public:
    using Answer = std::function<void(QWidget *)>;
    struct Seen
    {
        QString kind;    // class name
        QString title;
        QString text;    // a message box's text, a file dialog's name filters
    };

    explicit ModalScript(const QList<Answer> &answers);

    QList<Seen> seen() const;
    QStringList titles() const;

    // Picks path in a file dialog and accepts it.
    static Answer chooseFile(const QString &path);
    static Answer reject();
    // Clicks the button with this text (a message box's or a dialog's).
    static Answer click(const QString &buttonText);

private:
    void poll();

    QList<Answer> answers;
    QList<Seen> record;
    QPointer<QWidget> answered;
    QTimer timer;
};

#endif
