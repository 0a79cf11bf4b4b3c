#pragma once

#include "Grid/RowBand.h"
#include "raster/LineSink.h"

#include <cstdint>

namespace masume {

// What a grid routine draws on: the pen of the mask (or a recorder), the
// mask's width W and height H, and the settings SizeH and SizeV, which some
// routines read for half-cell shifts and spans. The band, when given, is the
// part of the mask's rows the pen stands for (see Grid/RowBand.h).
struct GridTarget
{
    LineSink &pen;
    int64_t W;
    int64_t H;
    int32_t SizeH;
    int32_t SizeV;
    RowBand band {};
};

// The grid routines of the kinds 2 to 7, with a the horizontal and b the
// vertical cell size in pixels. Each draws black lines through target.pen
// only, on a mask it assumes cleared; the lines, their ends and their order
// are fixed pixel for pixel. Lines may lie partly or wholly outside W x H
// (the surface clips them); coordinates are 64-bit, so no size makes them
// wrap, and negative sizes run through the same formulas. Every quotient
// by a size comes before the first line: a size of 0 raises
// "0 による浮動小数点数除算" ("不正な浮動小数点数演算命令" when the
// dividend is 0 as well) with nothing drawn.
//
// Which routine draws which kind: Grid/GridKinds.h.
//
// Cost, for the whole mask: a pen move and a line per line, with no limit on
// their number and nothing skipped, outside the mask included; the hexagonal kinds draw one
// six-point polyline and one line per cell, about (W / (0.87 a) + 1) by
// (H / (1.5 b) + 2) cells for DrawHexH. For a band: only the lines that
// may cross it, found by arithmetic, each drawn as on the whole mask and in
// the same order.

// Vertical lines every a pixels, then horizontal lines every b pixels, each
// on the last pixel column (row) of its cell.
void DrawSquare(const GridTarget &target, int32_t a, int32_t b);
// Two families of diagonals enclosing diamonds a wide and b high.
void DrawDiamond(const GridTarget &target, int32_t a, int32_t b);
// Staggered rows: the separators of every other row shifted left by half a
// cell (half of SizeH, row spans of SizeV), then full horizontal lines.
void DrawSHexH(const GridTarget &target, int32_t a, int32_t b);
// Staggered columns: full vertical lines, then the separators, those of
// every other column shifted up by half a cell (half of SizeV, column spans
// of SizeH).
void DrawSHexV(const GridTarget &target, int32_t a, int32_t b);
// Hexagons side by side in rows, with a vertical connector below each.
void DrawHexH(const GridTarget &target, int32_t a, int32_t b);
// The transpose of DrawHexH: DrawHexV(a, b) on W x H draws the points of
// DrawHexH(b, a) on H x W, in the same order, with x and y exchanged.
void DrawHexV(const GridTarget &target, int32_t a, int32_t b);

using GridRoutine = void (*)(const GridTarget &target, int32_t a, int32_t b);

// One line from `from` to `to`: a pen move, then a line; `to` is not set.
inline void penLine(LineSink &pen, Point from, Point to)
{
    pen.MoveTo(from.x, from.y);
    pen.LineTo(to.x, to.y);
}

} // namespace masume
