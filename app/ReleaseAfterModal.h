#pragma once

#include <QObject>
#include <QPointer>

class QWidget;
class QWindow;

namespace masume::ui {

// Gives a control the mouse release that a modal window took from it.
//
// A press can open a modal window before the pressed control has seen the
// press (a number box left by the press fails, and the error box opens from
// the focus change), while it handles the press, or during a drag. Qt then
// forgets which control the button went down on (the window is blocked) and
// drops the release made while the modal window is up, or, when the button
// is let go only after it, the release that follows: the control stays
// pressed, and a scroll bar's arrow or track goes on stepping by itself.
//
// Installed once on the application, this filter follows each press from
// the window system to the control it reaches. When that control's window
// was blocked during the press, the control receives its release from here:
// at once when the modal window has gone and the button is up already (at
// the pointer's position then), or else with the real release. Presses that
// no modal window interrupts are left entirely to Qt.
class ReleaseAfterModal : public QObject
{
    Q_OBJECT

public:
    explicit ReleaseAfterModal(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void checkCutOffPress();
    void deliverRelease(const QPointF &globalPosition);
    void forget();

    // The press in progress: the window that received it, the button, the
    // control it reached (null until it did), and whether a modal window
    // has blocked that window since (and still does).
    QPointer<QWindow> m_window;
    QPointer<QWidget> m_control;
    Qt::MouseButton m_button = Qt::NoButton;
    bool m_cutOff = false;
    bool m_blocked = false;
};

} // namespace masume::ui
