// Square and diamond grids.
//
// Counts are truncations toward zero of extended-precision quotients (so a
// quotient between -1 and 0 gives 0, not -1); products of counts and sizes
// are 64-bit and cannot wrap for 32-bit sizes and masks of 32-bit size.

#include "Grid/GridRoutines.h"

#include "common/Quotient.h"

namespace masume {

void DrawSquare(const GridTarget &t, int32_t a, int32_t b)
{
    // Both counts before the first line, so a size of 0 draws nothing. The
    // last line of each series lies at or beyond the mask's edge.
    const int64_t Cv = trunc(quotient(t.W, a)) + 1;
    const int64_t Ch = trunc(quotient(t.H, b)) + 1;

    for (int64_t i = 1; i <= Cv; ++i) {
        const int64_t x = i * a - 1;
        penLine(t.pen, {x, 0}, {x, t.H});
    }
    for (int64_t j = 1; j <= Ch; ++j) {
        const int64_t y = j * b - 1;
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
    for (int64_t k = 0; k < M; ++k) {
        t.pen.MoveTo((N + k) * a + ha, YB);
        t.pen.LineTo(k * a + ha, 0);
        t.pen.LineTo(0, k * b + hb);
    }
    // The falling diagonals from the left edge, and the rising ones that end
    // on the bottom reference edge.
    for (int64_t k = 0; k < N; ++k) {
        penLine(t.pen, {0, k * b + hb}, {XR, (M + k) * b + hb});
        penLine(t.pen, {XR, (N - 1 - k) * b + hb}, {(M - 1 - k) * a + ha, YB});
    }
}

} // namespace masume
