#pragma once

#include "Grid/GridKinds.h"
#include "raster/Surface.h"

#include <cstdint>

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
//
// The state is read through accessors of its own names and changed only by
// the operations below; the surfaces change only through the chain and
// through a new picture's size.
class GridCore
{
public:
    const Surface &GridMask() const { return m_gridMask; }
    const Surface &ColorLayer() const { return m_colorLayer; }
    int32_t GridKind() const { return m_gridKind; }
    int32_t SizeH() const { return m_sizeH; }
    int32_t SizeV() const { return m_sizeV; }
    Colour gridColour() const { return m_colorLayer.brushColor(); }

    // The window's other half, set once at start-up before any drawing
    // (connectCores in Canvas/CanvasCore.h).
    void setCanvas(CanvasLink *canvas) { m_canvas = canvas; }
    CanvasLink *canvas() const { return m_canvas; }

    // Set-up at the window's creation: the mask (1 bit, white brush, black
    // pen), the colour layer (24 bits, black brush), kind 0 and the cell
    // sizes in pixels. Draws nothing.
    void FormCreate(int32_t sizeH, int32_t sizeV);

    // The settings, stored without drawing: any value is taken (a size of 0
    // fails only when a kind is drawn with it).
    void setGridKind(int32_t kind) { m_gridKind = kind; }
    void setSizeH(int32_t sizeH) { m_sizeH = sizeH; }
    void setSizeV(int32_t sizeV) { m_sizeV = sizeV; }
    // The grid colour (red + green * 256 + blue * 65536; bits above 24 are
    // dropped), as the brush colour of the colour layer; the next DrawGrid
    // draws with it.
    void setGridColour(Colour colour) { m_colorLayer.setBrushColor(colour); }

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

    // The mask and the colour layer at a new picture's size, made beside
    // the ones in place: a failure to allocate them changes nothing.
    struct Surfaces
    {
        Surface GridMask, ColorLayer;
    };
    // The surfaces in place brought to width x height (width first; the
    // top-left part kept, new area in each one's brush colour), each with
    // its own pen and brush. Allocates; changes nothing.
    Surfaces resizedSurfaces(int width, int height) const;
    // Puts surfaces in place, the mask first, and returns the ones they
    // replace. Moves only: cannot fail.
    Surfaces exchangeSurfaces(Surfaces &&surfaces) noexcept;

private:
    Surface m_gridMask {PixelFormat::Mono1};
    Surface m_colorLayer;
    int32_t m_gridKind = 0;
    int32_t m_sizeH = 0;
    int32_t m_sizeV = 0;
    CanvasLink *m_canvas = nullptr;
};

} // namespace masume
