#pragma once

class QWidget;

namespace masume::ui {

// On X11, gives a window the type of a tool bar torn off from its main
// window (_NET_WM_WINDOW_TYPE_TOOLBAR, then _NET_WM_WINDOW_TYPE_UTILITY for
// managers that know no tool bars). Window managers that ignore the Motif
// hints for the minimise and maximise buttons (openbox) leave both off such
// a window. Call after the window's native window exists and before it is
// shown; Qt writes the type again only when the window's flags change.
// Elsewhere it does nothing. The one place of the program that speaks to
// the X server itself.
void markAsToolBar(QWidget &window);

} // namespace masume::ui
