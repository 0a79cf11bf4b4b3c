#pragma once

class TF_Canvas;
class TF_Grid;

// The two windows, set once by createWindows and kept until the program
// ends: the main window and the grid settings window. Only start-up and the
// tests reach the windows through them; the windows reach each other only
// through what connectWindows (app/WindowLinks.h) gives them.
extern TF_Canvas *F_Canvas;
extern TF_Grid *F_Grid;

// Start-up after the application object exists: turns off Qt's stored
// settings (the program reads and stores none), loads Qt's Japanese texts,
// installs the application-wide handling of presses and keyboard focus
// around modal windows (ui/ReleaseAfterModal.h, ui/FocusAfterModal.h),
// fixes the JPEG output setting from the display depth, creates the main
// window F_Canvas (which thereby becomes the main window), then the grid
// window F_Grid, connects the two, makes the grid window the main window's
// tool window (above it where they overlap), fits both onto the screen's
// available area and shows them, the main window with the keyboard where
// the window system lets the program choose (ui/ToolWindow.h; on Wayland
// the grid window appears from the event loop, once the main window is on
// the screen). The caller runs the event loop, which ends when the main
// window closes.
void createWindows();

// Deletes both windows, the grid window first, and sets F_Grid and F_Canvas
// to null: at the program's end, and between tests.
void destroyWindows();
