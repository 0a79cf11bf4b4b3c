#include "app/FocusAfterModal.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace masume::ui {

FocusAfterModal::FocusAfterModal(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("FocusAfterModal"));
}

bool FocusAfterModal::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide) || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (!widget->isWindow() || !widget->isModal())
        return false;
    if (type == QEvent::Show)
        modalShown(widget);
    else
        modalHidden(widget);
    return false;
}

void FocusAfterModal::modalShown(QWidget *modal)
{
    // Shown, not yet mapped: the window the user was in is still active.
    // Right after another modal window, none may be: the window that one
    // was to give back waits for this one instead.
    QWidget *active = QApplication::activeWindow();
    QWidget *returnTo
        = active && active != modal && active->isVisible() ? active : m_returnTo.data();
    m_returnTo = nullptr;
    m_opened.append(Opened {modal, returnTo});
}

void FocusAfterModal::modalHidden(QWidget *modal)
{
    for (qsizetype i = m_opened.size() - 1; i >= 0; --i) {
        if (m_opened[i].modal != modal)
            continue;
        m_returnTo = m_opened[i].returnTo;
        m_opened.remove(i);
        // Once the code that ran the modal window has gone on, which may
        // open the next one.
        QTimer::singleShot(0, this, &FocusAfterModal::giveBack);
        return;
    }
}

void FocusAfterModal::giveBack()
{
    QWidget *target = m_returnTo;
    if (!target)
        return;
    const QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != target)
        return; // the next modal window has it now and gives it back itself
    m_returnTo = nullptr;
    if (target->isVisible() && !target->isActiveWindow())
        target->activateWindow();
}

} // namespace masume::ui
