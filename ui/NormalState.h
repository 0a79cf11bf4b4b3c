#pragma once

class QWidget;

namespace masume::ui {

// Keeps a top-level window of fixed size (its minimum size equal to its
// maximum) in the normal state and at its own size, whatever the window
// system asks of it. Call once the window has its native window
// (QWidget::winId) and its final fixed size.
//
// - A maximised or full-screen state that the window system reports (a
//   pager, a key binding, a compositor's answer to a request) is left again
//   once the frame at the window system's size has been drawn: a Wayland
//   compositor that is asked to leave a state before the client has
//   committed a frame in it may miss the request (weston 10 does).
// - A size that the window system gives it in the normal state (an X11
//   window manager that ignores the size hints, as IceWM does for a pager's
//   or another client's request) is asked back, once for each size, so that
//   a manager that insists (a tiling layout) is not fought for ever.
// - On Wayland the window's fixed size is declared to the compositor
//   (xdg_toplevel's minimum and maximum size), so that compositors offer
//   neither maximising nor resizing and their resize requests leave the
//   size as it is. Only while a state that the program itself requested is
//   pending are the limits lifted, because a compositor may end the
//   connection of a client whose maximised surface has another size than
//   the one it configured (weston); once the compositor reports the normal
//   state again, the limits and the window's own size come back.
void keepNormalState(QWidget &window);

} // namespace masume::ui
