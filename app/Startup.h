#pragma once

// Creates the main window F_Canvas, then the grid window F_Grid, which is
// shown at once, and shows the main window. The caller runs the event loop.
void createWindows();
