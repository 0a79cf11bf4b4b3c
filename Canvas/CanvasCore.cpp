#include "Canvas/CanvasCore.h"

#include <utility>

namespace masume {

void CanvasCore::FormCreate()
{
    Layers.resize(1);
    Layers[0] = Surface();
    Compounds[0] = Surface();
    Compounds[1] = Surface();
}

void CanvasCore::CompoundLayer()
{
    // Built beside the composites and put in place only when complete, so
    // that a failing allocation leaves the composites and the view as they
    // were. The copies keep each composite's pen and brush.
    Surface plain = Compounds[0];
    plain.assign(Layers[0]);
    Surface gridded = Compounds[1];
    gridded.assign(plain);
    BitBlt(gridded, m_grid->GridMask, RasterOp::MERGEPAINT);
    BitBlt(gridded, m_grid->ColorLayer, RasterOp::SRCAND);
    C_Canvas.setPicture(gridded);
    Compounds[0] = std::move(plain);
    Compounds[1] = std::move(gridded);
}

} // namespace masume
