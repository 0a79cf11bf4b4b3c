#pragma once

#include "Grid/GridRoutines.h"
#include "raster/Surface.h"

#include <cstdint>
#include <string_view>

namespace masume {

// What the grid side uses of the main window: the size of its picture
// control and its composition.
class CanvasLink
{
public:
    virtual ~CanvasLink() = default;
    virtual int canvasWidth() const = 0;
    virtual int canvasHeight() const = 0;
    virtual void CompoundLayer() = 0;
};

// The grid window's state and its drawing chain: the grid settings, the
// black-and-white grid mask and the colour layer that carries the lines in
// the grid colour. The grid colour is held only as the brush colour of
// ColorLayer.
class GridCore
{
public:
    Surface GridMask {PixelFormat::Mono1};
    Surface ColorLayer;
    int32_t GridKind = 0;
    int32_t SizeH = 0;
    int32_t SizeV = 0;

    // The window's other half, set once at start-up before any drawing.
    void setCanvas(CanvasLink *canvas) { m_canvas = canvas; }
    CanvasLink *canvas() const { return m_canvas; }

    // Set-up at the window's creation: the mask (1 bit, white brush, black
    // pen), the colour layer (24 bits, black brush), kind 0 and the sizes
    // read from the size boxes' texts. Draws nothing. The text conversion
    // may raise "'%s' は整数ではありません".
    void FormCreate(std::string_view sizeHText, std::string_view sizeVText);

    // Rebuilds the mask at the picture control's size for the current kind
    // and sizes, then calls DrawGrid. A routine's error (a size of 0)
    // leaves the mask white at the new size and skips DrawGrid. When memory
    // runs out anywhere on the way, the mask, the colour layer, the
    // composites and the view stay as they were.
    void DrawGLine();
    // Fills the colour layer with the grid colour, ORs the mask into it and
    // has the main window compose; all or nothing when memory runs out.
    void DrawGrid();
    // Stores the chosen kind (the image index of the action) and redraws.
    void GridTypeExecute(int32_t imageIndex);

    // The grid routine of a kind; null for the kinds that draw nothing.
    using Routine = void (GridCore::*)(int32_t a, int32_t b);
    static Routine routineFor(int32_t kind);

    // The grid routines on the mask, with a = SizeH and b = SizeV from
    // DrawGLine.
    void DrawSquare(int32_t a, int32_t b);
    void DrawDiamond(int32_t a, int32_t b);
    void DrawSHexH(int32_t a, int32_t b);
    void DrawSHexV(int32_t a, int32_t b);
    void DrawHexH(int32_t a, int32_t b);
    void DrawHexV(int32_t a, int32_t b);

private:
    CanvasLink *m_canvas = nullptr;
};

} // namespace masume
