#pragma once

#include <QRect>

class QWidget;

namespace masume::ui {

// Where a window's frame goes so that it lies wholly on the screen's
// available area (the screen less panels and docks): unchanged where it
// fits; otherwise moved just far enough along each axis. A resizable window
// larger than the area is made as small as the area along that axis; a
// window of fixed size keeps its size, and where it cannot fit its top-left
// corner goes to the area's. All rectangles in the same (logical) pixels.
QRect fittedFrame(const QRect &frame, const QRect &area, bool resizable);

// Keeps a top-level window wholly on the available area of the screen it
// starts on: fits it now (with the frame it has, none before it is shown)
// and once more when it is first exposed, when the window manager's frame
// is known. Positions and sizes the user chooses later are left alone.
// Where the window system places windows itself (Wayland) only the size is
// fitted; on Qt's offscreen platform (tests), which has no screen anyone
// sees, nothing.
void keepOnScreen(QWidget &window);

} // namespace masume::ui
