#include "Canvas/WindowlessChain.h"

namespace masume {

WindowlessChain::WindowlessChain(std::string_view sizeHText, std::string_view sizeVText)
{
    canvas.FormCreate();
    grid.setCanvas(&canvas);
    canvas.setGrid(&grid);
    grid.FormCreate(sizeHText, sizeVText);
}

void WindowlessChain::open(const Surface &picture)
{
    canvas.Layers[0].assign(picture);
    canvas.Layers[0].convertTo24();
    const int w = picture.width(), h = picture.height();
    view.setWidth(w);
    view.setHeight(h);
    view.resizePicture(w, h);
    for (Surface *s :
         {&canvas.Compounds[0], &canvas.Compounds[1], &grid.GridMask, &grid.ColorLayer})
        s->setSize(w, h);
    grid.DrawGLine();
}

} // namespace masume
