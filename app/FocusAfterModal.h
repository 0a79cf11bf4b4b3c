#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace masume::ui {

// Gives the keyboard back to the window and the control that had it when a
// modal window (an error box, the overwrite question, a picture dialog, the
// colour chooser, the preview) closes.
//
// Left to itself the window system decides: without a window manager the
// focus falls back to the screen's root and no window of the program is
// active; a window manager activates the modal window's parent, which is the
// main window for the overwrite question even when it was asked from the
// grid window's shortcut. The user's next keys would go to the wrong window.
//
// Installed once on the application, this filter notes the active window
// when a modal window is shown and activates it again once the modal window
// has closed, unless another modal window has taken over by then (the
// overwrite question followed by the save dialog: the window goes back after
// the last of them). The window's own focus widget, the control the user was
// in, gets the keyboard with it; the activation is a window switch, not a
// move between controls, so no number box is "left" by it.
class FocusAfterModal : public QObject
{
    Q_OBJECT

public:
    explicit FocusAfterModal(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Opened
    {
        QPointer<QWidget> modal;
        QPointer<QWidget> returnTo;
    };

    void modalShown(QWidget *modal);
    void modalHidden(QWidget *modal);
    void giveBack();

    // The modal windows up, innermost last.
    QList<Opened> m_opened;
    // The window to activate once the last modal window has gone.
    QPointer<QWidget> m_returnTo;
};

} // namespace masume::ui
