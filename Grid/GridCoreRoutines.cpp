// The grid routines as methods of the grid window's state: each draws on
// GridMask with the mask's pen, over the mask's current width and height.
#include "Grid/GridCore.h"

#include "Grid/GridRoutines.h"
#include "Grid/MaskPen.h"

namespace masume {

namespace {

using GridRoutine = void (*)(const GridTarget &, int32_t, int32_t);

void drawOnMask(GridCore &grid, GridRoutine routine, int32_t a, int32_t b)
{
    MaskPen pen(grid.GridMask);
    routine({pen, grid.GridMask.width(), grid.GridMask.height(), grid.SizeH, grid.SizeV}, a, b);
}

} // namespace

void GridCore::DrawSquare(int32_t a, int32_t b)
{
    drawOnMask(*this, &masume::DrawSquare, a, b);
}

void GridCore::DrawDiamond(int32_t a, int32_t b)
{
    drawOnMask(*this, &masume::DrawDiamond, a, b);
}

void GridCore::DrawSHexH(int32_t a, int32_t b)
{
    drawOnMask(*this, &masume::DrawSHexH, a, b);
}

void GridCore::DrawSHexV(int32_t a, int32_t b)
{
    drawOnMask(*this, &masume::DrawSHexV, a, b);
}

void GridCore::DrawHexH(int32_t a, int32_t b)
{
    drawOnMask(*this, &masume::DrawHexH, a, b);
}

void GridCore::DrawHexV(int32_t a, int32_t b)
{
    drawOnMask(*this, &masume::DrawHexV, a, b);
}

} // namespace masume
