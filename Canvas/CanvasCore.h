#pragma once

#include "Canvas/PictureControl.h"
#include "Grid/GridCore.h"
#include "raster/Surface.h"

#include <array>
#include <string>
#include <vector>

namespace masume {

// The main window's pictures and its composition: the background in
// Layers[0] (the list always holds exactly that one element), the picture
// without grid in Compounds[0] and with grid in Compounds[1].
class CanvasCore : public CanvasLink
{
public:
    std::vector<Surface> Layers;
    std::array<Surface, 2> Compounds;
    // The current picture file: empty at start, never cleared; opening, Save
    // As and saving (".bmp" appended) set it. The next save writes there.
    std::string PictureFileName;

    explicit CanvasCore(PictureControl &control)
        : C_Canvas(control)
    {
    }

    // The picture control, which shows Compounds[1].
    PictureControl &C_Canvas;

    // The grid window's half, set once at start-up.
    void setGrid(GridCore *grid) { m_grid = grid; }
    GridCore *grid() const { return m_grid; }

    // Set-up at the window's creation: one empty layer, two empty composites.
    void FormCreate();

    // Copies the background into both composites, whitens the line pixels of
    // Compounds[1] with the mask and paints them with the colour layer, then
    // hands a copy of Compounds[1] to the picture control. Costs at most one
    // real copy of the picture: the copies share pixels until drawn on.
    void CompoundLayer() override;

    int canvasWidth() const override { return C_Canvas.width(); }
    int canvasHeight() const override { return C_Canvas.height(); }

private:
    GridCore *m_grid = nullptr;
};

} // namespace masume
