#pragma once

// Start-up after the application object exists: turns off Qt's stored
// settings (the program reads and stores none), loads Qt's Japanese texts,
// installs the application-wide handling of presses and keyboard focus
// around modal windows (app/ReleaseAfterModal.h, app/FocusAfterModal.h),
// fixes the JPEG output setting from the display depth, creates the main
// window F_Canvas (which thereby becomes the main window), then the grid
// window F_Grid, which is shown at once, and shows the main window, which
// takes the keyboard; the grid window stays above it where they overlap.
// The caller runs the event loop, which ends when the main window closes.
void createWindows();
