#pragma once

namespace masume::ui {

// Chooses Qt's window system platform before the application object exists,
// unless the user chose one with QT_QPA_PLATFORM: the X server (xcb, which
// on a Wayland session is XWayland) wherever there is one, native Wayland
// where there is none. The reasons are in the README (the windows on Linux
// desktops). Without it Qt would try Wayland first on a Wayland session,
// warn where its Wayland plugin is not installed, and move the program to
// native Wayland the day that plugin comes with another program.
void choosePlatform();

} // namespace masume::ui
