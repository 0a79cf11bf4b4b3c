// A colour bar dragged over a 6000 x 4000 picture with a square grid: each
// position runs the window's handler (boxes, swatch, colour layer, the
// redraw chain from DrawGrid on) and then the view paints what it shows, as
// the next paint event would. Against a memcpy of the picture's 24-bit
// pixels (BM_Memcpy24 of ChainBench.cpp).
//
// The windows run on Qt's offscreen platform; painting goes through the
// same raster engine as an X11 backing store, into an image of the visible
// part of the view.

#include "Canvas/TF_Canvas.h"
#include "Grid/TF_Grid.h"
#include "bench/Figures.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <memory>

using namespace masume;

namespace {

constexpr int W = 6000;
constexpr int H = 4000;

QApplication &application()
{
    static int argc = 1;
    static char name[] = "masume-bench";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

void BM_ColourBarDrag(benchmark::State &state)
{
    application();
    F_Canvas = new TF_Canvas;
    F_Grid = new TF_Grid;
    F_Canvas->show();
    F_Grid->show();

    // The surfaces as opening a picture leaves them.
    CanvasCore &canvas = F_Canvas->core();
    Surface picture(W, H, PixelFormat::Rgb24, 0x6080A0);
    for (int y = 0; y < H; y += 7)
        picture.setPixel((y * 13) % W, y, 0x102030); // not solid: real pixels
    canvas.Layers[0] = picture;
    canvas.C_Canvas.setWidth(W);
    canvas.C_Canvas.setHeight(H);
    for (Surface *s : {&canvas.Compounds[0], &canvas.Compounds[1], &F_Grid->core().GridMask,
                       &F_Grid->core().ColorLayer})
        s->setSize(W, H);
    F_Grid->Grid_Square->trigger(); // 32 x 32 cells
    QCoreApplication::processEvents();

    // What the user sees: the view's viewport, or the whole window.
    QWidget *view = F_Canvas;
    if (auto *area = F_Canvas->findChild<QScrollArea *>())
        view = area->viewport();
    QImage shown(view->size(), QImage::Format_RGB32);

    QScrollBar *bar = F_Grid->ColorBarR;
    int value = 0;
    for (auto _ : state) {
        value = (value + 1) % 256;
        bar->setValue(value);
        view->render(&shown);
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.counters["view_pixels"] = double(view->width()) * view->height();

    delete F_Grid;
    delete F_Canvas;
    F_Grid = nullptr;
    F_Canvas = nullptr;
}
BENCHMARK(BM_ColourBarDrag)->Unit(benchmark::kMillisecond);

bench::Figure colourBarDrag("colour-bar-drag", "BM_ColourBarDrag", "BM_Memcpy24", "memcpy",
                            bench::Compared::InProcess);

} // namespace
