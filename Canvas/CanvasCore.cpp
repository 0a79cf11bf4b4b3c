#include "Canvas/CanvasCore.h"

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
    Compounds[0].assign(Layers[0]);
    Compounds[1].assign(Compounds[0]);
    BitBlt(Compounds[1], m_grid->GridMask, RasterOp::MERGEPAINT);
    BitBlt(Compounds[1], m_grid->ColorLayer, RasterOp::SRCAND);
    C_Canvas.setPicture(Compounds[1]);
}

} // namespace masume
