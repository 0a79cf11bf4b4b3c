#pragma once

class TF_Canvas;
class TF_Grid;

// Connects the two windows, the one place that knows both: their cores
// through the cores' seams (connectCores), the main window's questions to
// the grid window (with grid or not, show or hide) through its
// GridWindowLink, and the grid window's closed() to raising Tool_VGrid
// (without running its click handler). Call once, after both windows
// exist and before anything is drawn; either may be destroyed first.
void connectWindows(TF_Canvas &canvas, TF_Grid &grid);
