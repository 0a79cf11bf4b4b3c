#pragma once

#include "Canvas/CanvasCore.h"
#include "Canvas/PictureCommands.h"
#include "Canvas/PictureControl.h"
#include "Grid/GridCore.h"

#include <string_view>

namespace masume {

// Both windows' halves without the windows, set up in the program's order
// (the main window's first, then the grid window's with the sizes of its
// boxes): for front ends without windows, benchmarks and tests.
class WindowlessChain
{
public:
    PictureHolder view;
    CanvasCore canvas {view};
    GridCore grid;

    // May raise "'%s' は整数ではありません" for a size text.
    explicit WindowlessChain(std::string_view sizeHText = "32", std::string_view sizeVText = "32");
    WindowlessChain(const WindowlessChain &) = delete;
    WindowlessChain &operator=(const WindowlessChain &) = delete;

    // The surfaces as opening a file leaves them, without the file: picture
    // (made 24-bit) as the background, the picture control, both
    // composites, the mask and the colour layer at its size; then
    // DrawGLine.
    void open(const Surface &picture);
};

// The answers of a front end that asks nothing: OK to every overwrite, the
// composite chosen once, DrawGLine of the grid window's half.
class UnattendedHost : public PictureCommandHost
{
public:
    explicit UnattendedHost(GridCore &grid, bool withGrid = true)
        : m_grid(grid)
        , m_withGrid(withGrid)
    {
    }
    bool confirmOverwrite() override { return true; }
    // Unreachable while every overwrite is confirmed.
    void executeSaveAs() override { }
    bool saveWithGrid() override { return m_withGrid; }
    void drawGLine() override { m_grid.DrawGLine(); }

private:
    GridCore &m_grid;
    bool m_withGrid;
};

} // namespace masume
