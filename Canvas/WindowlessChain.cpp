#include "Canvas/WindowlessChain.h"

namespace masume {

WindowlessChain::WindowlessChain(int32_t sizeH, int32_t sizeV)
{
    canvas.FormCreate();
    grid.FormCreate(sizeH, sizeV);
    connectCores(canvas, grid);
}

} // namespace masume
