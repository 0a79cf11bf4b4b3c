// Staggered rows and columns: a x b cells laid like bricks.
//
// Row r spans the pixel rows r*b to (r + 1)*b - 1 and column c the pixel
// columns c*a to (c + 1)*a - 1; full lines and the even rows' (columns')
// separators stand on the last pixel of each cell, as in the square grid,
// and the odd ones half a cell earlier. A separator covers its row (column)
// exactly, so no pixel is drawn twice. The half-cell shift and the spans of
// the rows (columns) come from the settings SizeH and SizeV; the only caller
// passes the same values as a and b.

#include "Grid/GridRoutines.h"

#include "common/Quotient.h"

#include <algorithm>

namespace masume {

namespace {

// Half a size rounded half up: (size + 1) / 2 truncated toward zero.
int64_t halfUp(int32_t size)
{
    return trunc(static_cast<long double>(size) / 2 + 0.5L);
}

} // namespace

void DrawSHexH(const GridTarget &t, int32_t a, int32_t b)
{
    const int64_t C = trunc(quotient(t.W, a)) + 1; // separators per row
    const int64_t R = trunc(quotient(t.H, b)) + 1; // full horizontal lines
    const int64_t P = trunc(static_cast<long double>(R) / 2);
    const int64_t s = halfUp(t.SizeH);
    const int64_t span = t.SizeV;

    // P + 1 pairs of rows; the surplus rows lie below the mask.
    const auto pairTop = [&](int64_t p) { return 2 * p * span; };
    const auto [p0, p1] = linesMeeting(
        t.band, 0, P, [&](int64_t p) { return std::min(pairTop(p), pairTop(p) + 2 * span); },
        [&](int64_t p) { return std::max(pairTop(p), pairTop(p) + 2 * span); });
    for (int64_t p = p0; p <= p1; ++p) {
        const int64_t top = pairTop(p);
        for (int64_t i = 1; i <= C; ++i) {
            const int64_t x = i * a - 1;
            penLine(t.pen, {x, top}, {x, top + span});
        }
        for (int64_t i = 1; i <= C; ++i) {
            const int64_t x = i * a - 1 - s;
            penLine(t.pen, {x, top + span}, {x, top + 2 * span});
        }
    }
    const auto row = [b](int64_t j) { return j * b - 1; };
    const auto [j0, j1] = linesMeeting(t.band, 1, R, row, row);
    for (int64_t j = j0; j <= j1; ++j) {
        const int64_t y = row(j);
        penLine(t.pen, {0, y}, {t.W, y});
    }
}

void DrawSHexV(const GridTarget &t, int32_t a, int32_t b)
{
    const int64_t C = trunc(quotient(t.W, a)) + 1; // full vertical lines
    const int64_t R = trunc(quotient(t.H, b)) + 1; // separators per column

    const auto [i0, i1] = linesMeeting(
        t.band, 1, C, [&](int64_t) { return std::min<int64_t>(0, t.H); },
        [&](int64_t) { return std::max<int64_t>(0, t.H); });
    for (int64_t i = i0; i <= i1; ++i) {
        const int64_t x = i * a - 1;
        penLine(t.pen, {x, 0}, {x, t.H});
    }

    const int64_t P = trunc(static_cast<long double>(C) / 2);
    const int64_t shift = halfUp(t.SizeV);
    const int64_t span = t.SizeH;

    // P + 1 pairs of columns; the surplus columns lie right of the mask.
    // Every pair crosses every band; of its separators only those on the
    // band's rows.
    const auto even = [b](int64_t j) { return j * b - 1; };
    const auto odd = [b, shift](int64_t j) { return j * b - 1 - shift; };
    const auto [e0, e1] = linesMeeting(t.band, 1, R, even, even);
    const auto [o0, o1] = linesMeeting(t.band, 1, R, odd, odd);
    for (int64_t q = 0; q <= P; ++q) {
        const int64_t left = 2 * q * span;
        for (int64_t j = e0; j <= e1; ++j) {
            const int64_t y = even(j);
            penLine(t.pen, {left, y}, {left + span, y});
        }
        for (int64_t j = o0; j <= o1; ++j) {
            const int64_t y = odd(j);
            penLine(t.pen, {left + span, y}, {left + 2 * span, y});
        }
    }
}

} // namespace masume
