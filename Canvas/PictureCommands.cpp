#include "Canvas/PictureCommands.h"

#include "Canvas/SaveRules.h"
#include "common/MemoryFailure.h"
#include "picture/PictureFile.h"

#include <utility>

namespace masume {

namespace {

// A copy of surface at width x height, width first: the top-left part is
// kept, new area takes the surface's brush colour.
Surface resized(const Surface &surface, int width, int height)
{
    Surface copy = surface;
    copy.setWidth(width);
    copy.setHeight(height);
    return copy;
}

// Everything an opening replaces: the background, the picture control's
// size and picture, the composites, the mask and the colour layer.
struct Opened
{
    Surface layer, shown, compound0, compound1, mask, colourLayer;
    int width, height;
};

// The state as it is; the copies share storage, so they cost nothing.
Opened currentState(const CanvasCore &canvas, const GridCore &grid)
{
    return {canvas.Layers[0],        canvas.C_Canvas.picture(),
            canvas.Compounds[0],     canvas.Compounds[1],
            grid.GridMask,           grid.ColorLayer,
            canvas.C_Canvas.width(), canvas.C_Canvas.height()};
}

// Puts a state in place, in the order of opening: the background, the
// control's width and height, its picture, the composites, the mask and the
// colour layer. Moves and the control's setters only: nothing that the
// windowless control could fail at.
void putState(CanvasCore &canvas, GridCore &grid, Opened &&state)
{
    canvas.Layers[0] = std::move(state.layer);
    canvas.C_Canvas.setWidth(state.width);
    canvas.C_Canvas.setHeight(state.height);
    canvas.C_Canvas.setPicture(state.shown);
    canvas.Compounds[0] = std::move(state.compound0);
    canvas.Compounds[1] = std::move(state.compound1);
    grid.GridMask = std::move(state.mask);
    grid.ColorLayer = std::move(state.colourLayer);
}

} // namespace

void PictureCommands::OpenPicture1Accept(const std::string &fileName)
{
    m_canvas.PictureFileName = fileName;
    m_host.longWork([this] {
        Surface background;
        {
            // The holder keeps a JPEG file's bytes until decoded; it goes
            // at the end of this block on every path.
            const Picture holder = readPicture(m_canvas.PictureFileName);
            background = makeSurface(holder);
        }
        background.convertTo24();
        const int W = background.width();
        const int H = background.height();

        // Everything that allocates happens before the first change, so a
        // picture too large for the memory leaves every surface as it was.
        // The background keeps the layer's own pen and brush.
        GridCore &grid = *m_canvas.grid();
        Surface layer = m_canvas.Layers[0];
        layer.assign(background);
        Opened opened {std::move(layer),
                       resized(m_canvas.C_Canvas.picture(), W, H),
                       resized(m_canvas.Compounds[0], W, H),
                       resized(m_canvas.Compounds[1], W, H),
                       resized(grid.GridMask, W, H),
                       resized(grid.ColorLayer, W, H),
                       W,
                       H};

        // What the opening replaces is kept until the view is composed: when
        // memory runs out on the way, all of it comes back and nothing that
        // was shown or loaded changes.
        Opened previous = currentState(m_canvas, grid);
        undoOnMemoryFailure(
            [&] {
                putState(m_canvas, grid, std::move(opened));
                m_host.drawGLine();
            },
            [&] { putState(m_canvas, grid, std::move(previous)); });
    });
}

void PictureCommands::SavePicture1Execute()
{
    if (fileExists(m_canvas.PictureFileName) && !m_host.confirmOverwrite()) {
        m_host.executeSaveAs();
        return;
    }
    const Surface &composite = m_canvas.Compounds[m_host.saveWithGrid() ? 1 : 0];
    m_host.longWork([&] { writePictureFile(composite, m_canvas.PictureFileName); });
}

void PictureCommands::SaveAsPicture1Accept(const std::string &fileName)
{
    m_canvas.PictureFileName = fileName;
    SavePicture1Execute();
}

} // namespace masume
