#include "tests/common/ModalScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QWidget>

ModalScript::ModalScript(const QList<Answer> &answers)
    : answers(answers)
{
    timer.setInterval(20);
    connect(&timer, &QTimer::timeout, this, &ModalScript::poll);
    timer.start();
}

void ModalScript::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    // A window already answered may linger for a moment while it closes.
    if (!modal || modal == answered)
        return;
    answered = modal;
    Seen seen{QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle(), QString()};
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        seen.text = box->text();
    else if (auto *files = qobject_cast<QFileDialog *>(modal))
        seen.text = files->nameFilters().join(QLatin1Char(';'));
    record.append(seen);
    const Answer answer = answers.isEmpty() ? Answer([](QWidget *window) { window->close(); })
                                            : answers.takeFirst();
    // Answered after this timer call returns: an answer may itself open the
    // next modal window (a question inside a file dialog), and a timer does
    // not fire again while its own call is still running.
    QPointer<QWidget> target(modal);
    QTimer::singleShot(0, this, [answer, target] {
        if (target)
            answer(target);
    });
}

QList<ModalScript::Seen> ModalScript::seen() const
{
    return record;
}

QStringList ModalScript::titles() const
{
    QStringList titles;
    for (const Seen &seen : record)
        titles.append(seen.title);
    return titles;
}

ModalScript::Answer ModalScript::chooseFile(const QString &path)
{
    return [path](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        // selectFile() leaves the name field alone while it has the focus,
        // as it has in a save dialog: type the name as a person would.
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        else
            dialog->selectFile(path);
        // accept() is protected on QFileDialog but still a slot.
        QMetaObject::invokeMethod(dialog, "accept");
    };
}

ModalScript::Answer ModalScript::reject()
{
    return [](QWidget *modal) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    };
}

ModalScript::Answer ModalScript::click(const QString &buttonText)
{
    return [buttonText](QWidget *modal) {
        for (QAbstractButton *button : modal->findChildren<QAbstractButton *>()) {
            if (button->text().remove(QLatin1Char('&')) == buttonText) {
                button->click();
                return;
            }
        }
        modal->close();
    };
}
