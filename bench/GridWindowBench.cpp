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
#include "app/WindowLinks.h"
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
    // Both windows as start-up connects them; the grid window goes first.
    auto canvas = std::make_unique<TF_Canvas>();
    auto grid = std::make_unique<TF_Grid>();
    connectWindows(*canvas, *grid);
    canvas->show();
    grid->show();

    // A picture taken as opening takes it.
    Surface picture(W, H, PixelFormat::Rgb24, 0x6080A0);
    for (int y = 0; y < H; y += 7)
        picture.setPixel((y * 13) % W, y, 0x102030); // not solid: real pixels
    canvas->core().takePicture(picture);
    grid->Grid_Square->trigger(); // 32 x 32 cells
    QCoreApplication::processEvents();

    // What the user sees: the view's viewport, or the whole window.
    QWidget *view = canvas.get();
    if (auto *area = canvas->findChild<QScrollArea *>())
        view = area->viewport();
    QImage shown(view->size(), QImage::Format_RGB32);

    QScrollBar *bar = grid->ColorBarR;
    int value = 0;
    for (auto _ : state) {
        value = (value + 1) % 256;
        bar->setValue(value);
        view->render(&shown);
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.counters["view_pixels"] = double(view->width()) * view->height();
}
BENCHMARK(BM_ColourBarDrag)->Unit(benchmark::kMillisecond);

bench::Figure colourBarDrag("colour-bar-drag", "BM_ColourBarDrag", "BM_Memcpy24", "memcpy",
                            bench::Compared::InProcess);

} // namespace
