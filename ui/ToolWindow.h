#pragma once

class QWidget;

namespace masume::ui {

// Makes `tool` the tool window of `owner`: a top-level window of its own
// that the window system keeps above its owner wherever the two overlap,
// also while a dialog of either is open, with a close box as its only title
// bar button and a size no request of the window system changes.
//
// - Its type becomes Qt::Tool with `owner` as its transient parent: on X11
//   WM_TRANSIENT_FOR, which window managers stack above the owner, and a
//   window type of a torn-off tool bar (see X11WindowType.h); on Wayland the
//   owner's surface as its parent (xdg_toplevel.set_parent).
// - On Wayland, where Qt's own title bar would offer minimise and maximise
//   whatever the flags say, the window draws its own title bar instead
//   (TitleStrip.h).
// - A maximised or full-screen state that reaches it anyway (a pager, a key
//   binding, a decoration's button) is undone at once: the window keeps its
//   size and place, and the program goes on.
//
// Call once, after both windows exist and before either is shown; then show
// both with showWithToolWindow.
void makeToolWindow(QWidget &tool, QWidget &owner);

// Shows the owner and then its tool window, the tool window without taking
// the keyboard, and gives the owner the keyboard where the window system
// lets a program choose (X11; a Wayland compositor decides itself, and
// mostly gives it to the window mapped last). The tool window must be
// mapped after its owner: X11 window managers stack a transient window that
// was mapped first below its owner once the owner maps (openbox), and on
// Wayland a parent that is not yet mapped when the tool window names it
// counts as none. So on Wayland the tool window is shown once the owner's
// first frame is on the screen, a moment later, from the event loop.
void showWithToolWindow(QWidget &owner, QWidget &tool);

} // namespace masume::ui
