#include "Canvas/CanvasCore.h"

#include "common/MemoryFailure.h"

#include <utility>

namespace masume {

void connectCores(CanvasCore &canvas, GridCore &grid)
{
    grid.setCanvas(&canvas);
    canvas.setGrid(&grid);
}

void CanvasCore::FormCreate()
{
    m_layers.resize(1);
    m_layers[0] = Surface();
    m_compounds[0] = Surface();
    m_compounds[1] = Surface();
}

void CanvasCore::CompoundLayer()
{
    // Built beside the composites and put in place only when complete, so
    // that a failing allocation leaves the composites and the view as they
    // were. The copies keep each composite's pen and brush.
    Surface plain = m_compounds[0];
    plain.assign(m_layers[0]);
    Surface gridded = m_compounds[1];
    gridded.assign(plain);
    BitBlt(gridded, m_grid->GridMask(), RasterOp::MERGEPAINT);
    BitBlt(gridded, m_grid->ColorLayer(), RasterOp::SRCAND);
    C_Canvas.setPicture(gridded);
    m_compounds[0] = std::move(plain);
    m_compounds[1] = std::move(gridded);
}

CanvasCore::Pictures CanvasCore::picturesFor(const Surface &background) const
{
    // The background keeps the layer's own pen and brush.
    Surface layer = m_layers[0];
    layer.assign(background);
    layer.convertTo24();
    const int W = layer.width();
    const int H = layer.height();
    return {std::move(layer),
            resizedCopy(C_Canvas.picture(), W, H),
            resizedCopy(m_compounds[0], W, H),
            resizedCopy(m_compounds[1], W, H),
            W,
            H};
}

CanvasCore::Pictures CanvasCore::exchangePictures(Pictures &&pictures)
{
    // Nothing here allocates a picture: the control shows a copy that
    // shares the picture's storage, and the windowless control can fail at
    // none of its setters.
    Pictures previous {std::move(m_layers[0]),    C_Canvas.picture(), std::move(m_compounds[0]),
                       std::move(m_compounds[1]), C_Canvas.width(),   C_Canvas.height()};
    m_layers[0] = std::move(pictures.layer);
    C_Canvas.setWidth(pictures.width);
    C_Canvas.setHeight(pictures.height);
    C_Canvas.setPicture(pictures.shown);
    m_compounds[0] = std::move(pictures.compound0);
    m_compounds[1] = std::move(pictures.compound1);
    return previous;
}

void CanvasCore::takePicture(Surface background)
{
    Pictures pictures = picturesFor(background);
    background = Surface(); // its pixels are the layer's now
    GridCore::Surfaces surfaces = m_grid->resizedSurfaces(pictures.width, pictures.height);

    // What the picture replaces is kept until the view is composed.
    Pictures previousPictures = exchangePictures(std::move(pictures));
    GridCore::Surfaces previousSurfaces = m_grid->exchangeSurfaces(std::move(surfaces));
    undoOnMemoryFailure([this] { m_grid->DrawGLine(); },
                        [&] {
                            exchangePictures(std::move(previousPictures));
                            m_grid->exchangeSurfaces(std::move(previousSurfaces));
                        });
}

} // namespace masume
