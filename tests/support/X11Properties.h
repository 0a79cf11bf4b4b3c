#pragma once

// What the X server and its window manager really hold about the program's
// windows, read from the server (not from Qt's idea of them): properties set
// by the window manager, the manager's stacking order, and requests sent to
// the manager as a pager or task bar sends them. Only on Qt's xcb platform.

#include <QList>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <cstdint>

class QWidget;

namespace masume::test {

// The names of the atoms in a window's ATOM-list property (such as
// _NET_WM_ALLOWED_ACTIONS, _NET_WM_STATE, _NET_WM_WINDOW_TYPE); empty
// where it is not set.
QStringList atomProperty(const QWidget &window, const char *property);

// A window's CARDINAL-list property (such as _MOTIF_WM_HINTS, WM_HINTS).
QList<uint32_t> cardinalProperty(const QWidget &window, const char *property);

// The window manager's stacking order of its managed windows, bottom first
// (_NET_CLIENT_LIST_STACKING on the root): the position of the window in
// it, -1 where it is not there (or there is no manager).
int stackingIndex(const QWidget &window);

// Whether a window manager runs on the server.
bool windowManagerRuns();

// Asks the window manager, as a pager does, to add the states to the
// window's _NET_WM_STATE (such as _NET_WM_STATE_MAXIMIZED_VERT).
void requestStates(const QWidget &window, const char *first, const char *second = nullptr);

// The window's outer frame on the screen, in device pixels: its own
// rectangle grown by the manager's _NET_FRAME_EXTENTS.
QRect frameOnServer(const QWidget &window);

// The window's own size on the server (without the manager's frame), in
// device pixels.
QSize sizeOnServer(const QWidget &window);

// Asks for another size of the window as any client may (a ConfigureWindow
// request): without a window manager the server applies it at once; a
// manager receives it instead and decides.
void requestSize(const QWidget &window, QSize size);

// Asks the window manager, as a pager does, to resize the window
// (_NET_MOVERESIZE_WINDOW, keeping its place).
void requestMoveResize(const QWidget &window, QSize size);

} // namespace masume::test
