#ifndef DIALOGCHECKS_H
#define DIALOGCHECKS_H

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>

// Helpers shared by the dialog tests.
namespace DialogChecks {

// A title bar with a close button only: no help, minimise or maximise button.
// Qt adds the title and system-menu hints that a close button needs.
inline bool hasOnlyCloseButton(const QWidget &dialog)
{
    const Qt::WindowFlags flags = dialog.windowFlags();
    const Qt::WindowFlags unwanted = Qt::WindowContextHelpButtonHint | Qt::WindowMinimizeButtonHint
                                     | Qt::WindowMaximizeButtonHint;
    return (flags & Qt::WindowType_Mask) == Qt::Dialog && flags.testFlag(Qt::WindowCloseButtonHint)
           && !(flags & unwanted);
}

inline QPushButton *button(const QWidget &dialog, const QString &text)
{
    for (QPushButton *candidate : dialog.findChildren<QPushButton *>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

// Polls until a modal window is up and hands it to `answer`. The timer is
// owned by `owner`, the dialog under test, so it cannot outlive a failed case.
inline void whenModal(QObject *owner, const std::function<void(QWidget *)> &answer)
{
    auto *poll = new QTimer(owner);
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(modal);
        }
    });
    poll->start();
}

}

#endif
