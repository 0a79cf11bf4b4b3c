// Square and diamond grids.
//
// Counts are truncations toward zero of extended-precision quotients (so a
// quotient between -1 and 0 gives 0, not -1); products of counts and sizes
// are 64-bit and cannot wrap for 32-bit sizes and masks of 32-bit size.

#include "Grid/GridRoutines.h"

#include "common/Quotient.h"

#include <algorithm>

namespace masume {

void DrawSquare(const GridTarget &t, int32_t a, int32_t b)
{
    // Both counts before the first line, so a size of 0 draws nothing. The
    // last line of each series lies at or beyond the mask's edge.
    const int64_t Cv = trunc(quotient(t.W, a)) + 1;
    const int64_t Ch = trunc(quotient(t.H, b)) + 1;

    const auto [v0, v1] = linesMeeting(
        t.band, 1, Cv, [&](int64_t) { return std::min<int64_t>(0, t.H); },
        [&](int64_t) { return std::max<int64_t>(0, t.H); });
    for (int64_t i = v0; i <= v1; ++i) {
        const int64_t x = i * a - 1;
        penLine(t.pen, {x, 0}, {x, t.H});
    }
    const auto row = [b](int64_t j) { return j * b - 1; };
    const auto [h0, h1] = linesMeeting(t.band, 1, Ch, row, row);
    for (int64_t j = h0; j <= h1; ++j) {
        const int64_t y = row(j);
        penLine(t.pen, {0, y}, {t.W, y});
    }
}

void DrawDiamond(const GridTarget &t, int32_t a, int32_t b)
{
    const long double A = a;
    const long double B = b;
    // M passes start on the top edge, N on the left edge; each diagonal
    // crossing the mask is drawn exactly once. The reference edges XR and YB
    // lie beyond the mask, so the diagonals run out of it.
    const int64_t M = trunc(quotient(t.W - A / 2, A)) + 2;
    const int64_t N = trunc(quotient(t.H - B / 2, B)) + 2;
    const int64_t XR = M * a;
    const int64_t YB = N * b;
    // Half sizes rounded half up: the diamond corners on the cell edges.
    const int64_t ha = trunc(A / 2 + 0.5L);
    const int64_t hb = trunc(B / 2 + 0.5L);

    // A falling diagonal drawn up to the top edge, then a rising one from
    // there down to the left edge; the left-edge point is not set here.
    const auto leftEdge = [&](int64_t k) { return k * b + hb; };
    const auto [m0, m1] = linesMeeting(
        t.band, 0, M - 1,
        [&](int64_t k) {
            return std::min({int64_t(0), YB, leftEdge(k)});
        },
        [&](int64_t k) {
            return std::max({int64_t(0), YB, leftEdge(k)});
        });
    for (int64_t k = m0; k <= m1; ++k) {
        t.pen.MoveTo((N + k) * a + ha, YB);
        t.pen.LineTo(k * a + ha, 0);
        t.pen.LineTo(0, k * b + hb);
    }
    // The falling diagonals from the left edge, and the rising ones that end
    // on the bottom reference edge.
    const auto fallEnd = [&](int64_t k) { return (M + k) * b + hb; };
    const auto riseStart = [&](int64_t k) { return (N - 1 - k) * b + hb; };
    const auto falling = linesMeeting(
        t.band, 0, N - 1, [&](int64_t k) { return std::min(leftEdge(k), fallEnd(k)); },
        [&](int64_t k) { return std::max(leftEdge(k), fallEnd(k)); });
    const auto rising = linesMeeting(
        t.band, 0, N - 1, [&](int64_t k) { return std::min(riseStart(k), YB); },
        [&](int64_t k) { return std::max(riseStart(k), YB); });
    forEachIndex(falling, rising, [&](int64_t k, bool inFalling, bool inRising) {
        if (inFalling)
            penLine(t.pen, {0, leftEdge(k)}, {XR, fallEnd(k)});
        if (inRising)
            penLine(t.pen, {XR, riseStart(k)}, {(M - 1 - k) * a + ha, YB});
    });
}

} // namespace masume
