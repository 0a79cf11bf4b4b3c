#pragma once

namespace masume::ui {

// What the desktop shows of the program: the application icon on every
// window and in the task bar, taken from the icons compiled into the program
// (so that it shows also when the program runs from its build folder), and
// the name of the desktop entry, by which desktops match the windows to the
// menu entry and the installed icon. Call once, after the application object
// exists and before the first window is created.
void setDesktopIdentity();

} // namespace masume::ui
