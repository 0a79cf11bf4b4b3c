#pragma once

#include "Canvas/CanvasCore.h"
#include "Canvas/PictureCommands.h"
#include "Canvas/PictureControl.h"
#include "Grid/GridCore.h"

#include <cstdint>

namespace masume {

// Both windows' halves without the windows, set up and connected as
// start-up does (the main window's first, then the grid window's with the
// cell sizes of its boxes): for front ends without windows, benchmarks and
// tests.
class WindowlessChain
{
public:
    PictureHolder view;
    CanvasCore canvas {view};
    GridCore grid;

    explicit WindowlessChain(int32_t sizeH = 32, int32_t sizeV = 32);
    WindowlessChain(const WindowlessChain &) = delete;
    WindowlessChain &operator=(const WindowlessChain &) = delete;

    // Takes picture as opening a file does, without the file
    // (CanvasCore::takePicture).
    void open(const Surface &picture) { canvas.takePicture(picture); }
};

// The answers of a front end that asks nothing: OK to every overwrite, the
// composite chosen once.
class UnattendedHost : public PictureCommandHost
{
public:
    explicit UnattendedHost(bool withGrid = true)
        : m_withGrid(withGrid)
    {
    }
    bool confirmOverwrite() override { return true; }
    // Unreachable while every overwrite is confirmed.
    void executeSaveAs() override { }
    bool saveWithGrid() override { return m_withGrid; }

private:
    bool m_withGrid;
};

} // namespace masume
