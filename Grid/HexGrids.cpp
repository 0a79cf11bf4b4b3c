// Honeycombs: hexagons in rows (DrawHexH) and in columns (DrawHexV).
//
// Only every other row of hexagons is drawn, 1.5 b apart; each drawn cell
// has five of its six sides (the sixth is the next cell's) and a connector to
// the cell below, and the rows in between arise from these lines. The
// rounding is part of the result: q, about half a hexagon's width, is held
// in single precision and used in that form everywhere; everything else is
// extended precision, truncated toward zero after the + 0.5 where given.
// Corner offsets and cell offsets are rounded separately, so neighbouring
// cells may miss or cross each other by a pixel; nothing corrects that.
//
// All cells are drawn, including those outside the mask: with a = b = 1 on
// 4000 x 3000 that is about 9.2 million cells, so the per-cell work is kept
// to one polyline and one line.

#include "Grid/GridRoutines.h"

#include "common/Quotient.h"

#include <algorithm>
#include <numbers>
#include <vector>

namespace masume {

namespace {

constexpr long double Sqrt3 = std::numbers::sqrt3_v<long double>;

// A honeycomb in the terms of DrawHexH: drawn rows top to bottom, cells
// left to right. DrawHexV fills it with its axes exchanged and draws it
// transposed.
struct Honeycomb
{
    int32_t a; // cell size along a row
    int32_t b; // cell size across the rows
    float q;
    int64_t X0, X1, X2; // corner columns within a cell
    int64_t Y1, Y2, Y4; // corner rows within a cell, connector end
    int64_t NC; // cells j = 0 .. NC per row
    int64_t NR; // drawn rows i = 0 .. NR + 1
};

// ColX of cell j; depends on j alone.
int64_t cellOffset(const Honeycomb &h, int64_t j)
{
    const long double q = h.q;
    return trunc(2.0L * j * q - h.a * 0.5L + q + 0.5L) - 1;
}

// The offset of drawn row i (RowY).
int64_t rowOffset(const Honeycomb &h, int64_t i)
{
    return trunc(1.5L * (i * h.b) + 0.5L);
}

// Offsets of the cells of a row that a drawing visits, computed once for
// every row. Bounded so that a mask of any width needs no large buffer;
// cells beyond it compute theirs in place, with the same formula.
constexpr int64_t CachedCells = int64_t(1) << 16;

// The band lies across the honeycomb's rows for DrawHexH and across the
// cells of each row for DrawHexV (the picture's rows, once transposed).
// Either way the rows and cells drawn come in the order of the whole mask.
template<bool Transposed> void drawHoneycomb(LineSink &pen, const Honeycomb &h, const RowBand &band)
{
    if (h.NR + 1 < 0 || h.NC < 0)
        return;
    // The rows a drawn row (a cell) covers, from its offset.
    const int64_t rowLow = std::min({int64_t(0), h.Y1, h.Y2, int64_t(h.b), h.Y4});
    const int64_t rowHigh = std::max({int64_t(0), h.Y1, h.Y2, int64_t(h.b), h.Y4});
    const int64_t cellLow = std::min({h.X0, h.X1, h.X2});
    const int64_t cellHigh = std::max({h.X0, h.X1, h.X2});
    const RowBand whole;
    const auto [i0, i1] = linesMeeting(
        Transposed ? whole : band, 0, h.NR + 1, [&](int64_t i) { return rowOffset(h, i) + rowLow; },
        [&](int64_t i) { return rowOffset(h, i) + rowHigh; });
    const auto [j0, j1] = linesMeeting(
        Transposed ? band : whole, 0, h.NC, [&](int64_t j) { return cellOffset(h, j) + cellLow; },
        [&](int64_t j) { return cellOffset(h, j) + cellHigh; });
    if (i1 < i0 || j1 < j0)
        return;
    std::vector<int64_t> cached(size_t(std::min(j1 - j0 + 1, CachedCells)));
    for (size_t k = 0; k < cached.size(); ++k)
        cached[k] = cellOffset(h, j0 + int64_t(k));

    const auto at = [](int64_t x, int64_t y) { return Transposed ? Point {y, x} : Point {x, y}; };
    for (int64_t i = i0; i <= i1; ++i) {
        const int64_t rowY = rowOffset(h, i);
        const int64_t top = rowY, upper = rowY + h.Y1, lower = rowY + h.Y2;
        const int64_t bottom = rowY + h.b, connectorEnd = rowY + h.Y4;
        for (int64_t j = j0; j <= j1; ++j) {
            const int64_t colX = j - j0 < CachedCells ? cached[size_t(j - j0)] : cellOffset(h, j);
            const int64_t left = colX + h.X0, middle = colX + h.X1, right = colX + h.X2;
            // Upper right, top, upper left, lower left, bottom, lower right:
            // the right side is the next cell's left side.
            const Point cell[6] = {at(right, upper), at(middle, top),    at(left, upper),
                                   at(left, lower),  at(middle, bottom), at(right, lower)};
            pen.Polyline(cell);
            const Point from = at(middle, bottom), to = at(middle, connectorEnd);
            pen.MoveTo(from.x, from.y);
            pen.LineTo(to.x, to.y);
        }
    }
}

} // namespace

void DrawHexH(const GridTarget &t, int32_t a, int32_t b)
{
    const long double A = a;
    const long double B = b;
    Honeycomb h {};
    h.a = a;
    h.b = b;
    h.q = static_cast<float>(A * 0.25L * Sqrt3);
    const long double q = h.q;
    h.X0 = trunc(A * 0.5L + 0.5L - q);
    h.X1 = trunc(A * 0.5L + 0.5L);
    h.X2 = trunc(A * 0.5L + 0.5L + q);
    h.Y1 = trunc(B * 0.25L + 0.5L);
    h.Y2 = trunc(B * 0.75L + 0.5L);
    h.Y4 = trunc(B * 1.5L + 0.5L);
    // a = 0 makes q = 0 and fails here, b = 0 in the next quotient.
    h.NC = trunc(quotient(t.W, q) / 2);
    h.NR = trunc(quotient(t.H - b, B) / 1.5L);
    drawHoneycomb<false>(t.pen, h, t.band);
}

void DrawHexV(const GridTarget &t, int32_t a, int32_t b)
{
    const long double A = a;
    const long double B = b;
    // Computed in this routine's own order, so that with both sizes 0 the
    // quotient by a fails first, as in every grid kind.
    const float qf = static_cast<float>(B * 0.25L * Sqrt3);
    const long double q = qf;
    const int64_t X1 = trunc(A * 0.25L + 0.5L);
    const int64_t X2 = trunc(A * 0.75L + 0.5L);
    const int64_t X4 = trunc(A * 1.5L + 0.5L);
    const int64_t Y0 = trunc(B * 0.5L + 0.5L - q);
    const int64_t Y1 = trunc(B * 0.5L + 0.5L);
    const int64_t Y2 = trunc(B * 0.5L + 0.5L + q);
    const int64_t NC = trunc(quotient(t.W - a, A) / 1.5L);
    const int64_t NR = trunc(quotient(t.H, q) / 2);
    // Drawn columns become drawn rows, the cells of a column those of a row.
    const Honeycomb h {b, a, qf, Y0, Y1, Y2, X1, X2, X4, NR, NC};
    drawHoneycomb<true>(t.pen, h, t.band);
}

} // namespace masume
