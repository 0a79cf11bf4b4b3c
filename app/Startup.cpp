#include "app/Startup.h"

#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"
#include "picture/PictureFile.h"

#include <QGuiApplication>
#include <QScreen>

void createWindows()
{
    // A display of 8 or fewer bits per pixel is tested once, here.
    const QScreen *screen = QGuiApplication::primaryScreen();
    masume::setJpegEightBitOutput(screen && screen->depth() <= 8);

    F_Canvas = new TF_Canvas;
    F_Grid = new TF_Grid;
    F_Grid->show();
    F_Canvas->show();
}
