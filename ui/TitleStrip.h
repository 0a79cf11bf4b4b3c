#pragma once

class QWidget;

namespace masume::ui {

// A title bar drawn by the window itself, for a frameless window of fixed
// size where the platform's own title bar would offer more than a close
// box (Qt's decorations on Wayland always show minimise and maximise): the
// application icon, the window's title and a close box, 24 pixels high,
// across the window's top. A press on it (not on the close box) lets the
// window system move the window; the close box closes the window as the
// platform's would (closeEvent runs). The window grows by the strip's
// height and every child moves down by it, so that the area below the strip
// keeps its size and its controls their places.
//
// The strip is the window's child named "TitleStrip"; its close box the
// strip's child "TitleCloseButton".
void addTitleStrip(QWidget &window);

} // namespace masume::ui
