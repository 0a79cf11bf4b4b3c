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
        GridCore &grid = *m_canvas.grid();
        Surface shown = resized(m_canvas.C_Canvas.picture(), W, H);
        Surface compound0 = resized(m_canvas.Compounds[0], W, H);
        Surface compound1 = resized(m_canvas.Compounds[1], W, H);
        Surface mask = resized(grid.GridMask, W, H);
        Surface colourLayer = resized(grid.ColorLayer, W, H);

        // What the opening replaces, kept (sharing storage, so at no cost)
        // until the view is composed: when memory runs out on the way, all
        // of it comes back and nothing that was shown or loaded changes.
        Surface layer = m_canvas.Layers[0];
        Surface previousShown = m_canvas.C_Canvas.picture();
        const int previousW = m_canvas.C_Canvas.width();
        const int previousH = m_canvas.C_Canvas.height();
        Surface previous0 = m_canvas.Compounds[0];
        Surface previous1 = m_canvas.Compounds[1];
        Surface previousMask = grid.GridMask;
        Surface previousColour = grid.ColorLayer;
        undoOnMemoryFailure(
            [&] {
                m_canvas.Layers[0].assign(background);
                m_canvas.C_Canvas.setWidth(W);
                m_canvas.C_Canvas.setHeight(H);
                m_canvas.C_Canvas.setPicture(shown);
                m_canvas.Compounds[0] = std::move(compound0);
                m_canvas.Compounds[1] = std::move(compound1);
                grid.GridMask = std::move(mask);
                grid.ColorLayer = std::move(colourLayer);

                m_host.drawGLine();
            },
            [&] {
                m_canvas.Layers[0] = std::move(layer);
                m_canvas.C_Canvas.setWidth(previousW);
                m_canvas.C_Canvas.setHeight(previousH);
                m_canvas.C_Canvas.setPicture(previousShown);
                m_canvas.Compounds[0] = std::move(previous0);
                m_canvas.Compounds[1] = std::move(previous1);
                grid.GridMask = std::move(previousMask);
                grid.ColorLayer = std::move(previousColour);
            });
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
