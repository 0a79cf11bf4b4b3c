#include "app/ReleaseAfterModal.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace masume::ui {

ReleaseAfterModal::ReleaseAfterModal(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("ReleaseAfterModal"));
}

bool ReleaseAfterModal::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (watched->isWindowType() && event->spontaneous()) {
            if (m_window && m_cutOff) {
                // A press inside the modal window: the interrupted press
                // waits for that window to close.
                if (m_blocked)
                    break;
                // A new press after it: the button of the interrupted one
                // has been let go somewhere meanwhile.
                if (m_control)
                    deliverRelease(QCursor::pos());
            }
            // A new press from the window system: it reaches its window
            // first, then (from within that window) its control.
            forget();
            m_window = static_cast<QWindow *>(watched);
            m_button = static_cast<QMouseEvent *>(event)->button();
            break;
        }
        Q_FALLTHROUGH();
    case QEvent::MouseButtonDblClick:
        // The first control the press reaches is the one Qt would give the
        // release to; a control that ignores it passes it on to its parents.
        if (watched->isWidgetType() && event->spontaneous() && m_window && !m_control) {
            auto *control = static_cast<QWidget *>(watched);
            if (control->window()->windowHandle() == m_window) {
                m_control = control;
                if (m_cutOff) // the modal window came and went before the press arrived
                    QTimer::singleShot(0, this, &ReleaseAfterModal::checkCutOffPress);
            }
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched->isWindowType() && watched == m_window) {
            const auto *release = static_cast<QMouseEvent *>(event);
            if (m_cutOff && release->button() == m_button) {
                // Qt forgot the pressed control when the window was blocked
                // and drops this release: the control gets it from here.
                if (m_control && !QWidget::mouseGrabber())
                    deliverRelease(release->globalPosition());
                forget();
            } else if (release->buttons() == Qt::NoButton) {
                forget(); // an ordinary click, ended by Qt itself
            }
        }
        break;
    case QEvent::WindowBlocked:
        if (watched == m_window) {
            m_cutOff = true;
            m_blocked = true;
        }
        break;
    case QEvent::WindowUnblocked:
        if (watched == m_window) {
            m_blocked = false;
            // After the code that opened the modal window has gone on: the
            // press may still be on its way to its control.
            QTimer::singleShot(0, this, &ReleaseAfterModal::checkCutOffPress);
        }
        break;
    default:
        break;
    }
    return false;
}

void ReleaseAfterModal::checkCutOffPress()
{
    if (!m_cutOff || m_blocked || !m_control)
        return;
    // A button still held is let go later; its release reaches the window.
    if (QGuiApplication::mouseButtons() & m_button)
        return;
    deliverRelease(QCursor::pos());
    forget();
}

void ReleaseAfterModal::deliverRelease(const QPointF &globalPosition)
{
    QWidget *control = m_control;
    const QPointF local = control->mapFromGlobal(globalPosition);
    const QPointF scene = control->window()->mapFromGlobal(globalPosition);
    QMouseEvent release(QEvent::MouseButtonRelease, local, scene, globalPosition, m_button,
                        QGuiApplication::mouseButtons() & ~m_button,
                        QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(control, &release);
}

void ReleaseAfterModal::forget()
{
    m_window = nullptr;
    m_control = nullptr;
    m_button = Qt::NoButton;
    m_cutOff = false;
    m_blocked = false;
}

} // namespace masume::ui
