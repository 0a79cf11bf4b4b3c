#include "app/Startup.h"

#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"

void createWindows()
{
    F_Canvas = new TF_Canvas;
    F_Grid = new TF_Grid;
    F_Grid->show();
    F_Canvas->show();
}
