#include "raster/Line.h"

#include <algorithm>
#include <cstring>

// Pixel rule, in terms of the major axis (the longer one; y for 45 degrees)
// and the minor one. With the major length d > 0, the minor delta n and
// s = sign(n), step i (0 <= i < d) sets
//
//     major = M0 + sM * i
//     minor = m0 + s * floor((2 * |n| * i + d - c) / (2 * d))
//
// where c = 1 for s > 0 and 0 otherwise. This is the nearest pixel with ties
// going to the smaller minor coordinate in both directions: for s > 0,
// floor((2k + d - 1) / 2d) rounds k / d half down; for s < 0,
// -floor((2k + d) / 2d) rounds -k / d half down.
//
// The numerator grows by 2|n| per step and |n| <= d, so the quotient grows
// by at most one per step: a Bresenham step. Clipping first intersects the
// step range with the major axis, then solves the two minor bounds on the
// quotient, relative to the first major-visible step so that no product
// leaves 128 bits.

namespace masume {

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

i128 abs128(i128 v)
{
    return v < 0 ? -v : v;
}

// ceil(a / b) and floor(a / b) for b > 0.
i128 ceilDiv(i128 a, i128 b)
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}
i128 floorDiv(i128 a, i128 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

template<int Bpp> inline void put(uint8_t *p, const uint8_t *value)
{
    if constexpr (Bpp == 1) {
        *p = value[0];
    } else {
        p[0] = value[0];
        p[1] = value[1];
        p[2] = value[2];
    }
}

// The Bresenham walk: `count` pixels from offset `at`; the numerator
// remainder `v` (< wrap) grows by `step` and each wrap moves one pixel along
// the minor axis.
template<int Bpp, typename V>
void walk(const LineTarget &t, ptrdiff_t at, ptrdiff_t majorStep, ptrdiff_t minorStep,
          int64_t count, V v, V step, V wrap)
{
    uint8_t *bits = t.bits;
    for (int64_t k = 0; k < count; ++k) {
        put<Bpp>(bits + at, t.value);
        at += majorStep;
        v += step;
        if (v >= wrap) {
            v -= wrap;
            at += minorStep;
        }
    }
}

template<int Bpp>
void horizontalRun(const LineTarget &t, int64_t x, int64_t y, int64_t count, int dir)
{
    const int64_t left = dir > 0 ? x : x - count + 1;
    uint8_t *p = t.bits + y * t.stride + left * Bpp;
    if constexpr (Bpp == 1) {
        std::memset(p, t.value[0], size_t(count));
    } else {
        for (int64_t k = 0; k < count; ++k)
            put<3>(p + 3 * k, t.value);
    }
}

template<int Bpp>
void drawSpan(const LineTarget &t, bool xMajor, int sM, int sn, int64_t major, int64_t minor,
              int64_t count, u128 v, u128 step, u128 wrap)
{
    const int64_t x = xMajor ? major : minor;
    const int64_t y = xMajor ? minor : major;
    if (step == 0 && xMajor) {
        horizontalRun<Bpp>(t, x, y, count, sM);
        return;
    }
    const ptrdiff_t at = ptrdiff_t(y * t.stride + x * Bpp);
    const ptrdiff_t majorStep = sM * (xMajor ? ptrdiff_t(Bpp) : t.stride);
    const ptrdiff_t minorStep = sn * (xMajor ? t.stride : ptrdiff_t(Bpp));
    if (wrap < (u128(1) << 62))
        walk<Bpp, uint64_t>(t, at, majorStep, minorStep, count, uint64_t(v), uint64_t(step),
                            uint64_t(wrap));
    else
        walk<Bpp, u128>(t, at, majorStep, minorStep, count, v, step, wrap);
}

// The common case of a line that starts inside and whose end lies inside
// on the minor axis and at most one pixel beyond the edge on the major axis:
// then every pixel it sets lies inside, and no clipping is needed. Returns
// false when the line is not of this kind.
bool drawUnclipped(const LineTarget &t, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    constexpr int64_t Limit = int64_t(1) << 40;
    if (x0 < 0 || y0 < 0 || x0 >= t.width || y0 >= t.height)
        return false;
    if (x1 < -1 || y1 < -1 || x1 > Limit || y1 > Limit)
        return false;
    const int64_t dx = x1 - x0;
    const int64_t dy = y1 - y0;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx > ady;
    if (xMajor ? (x1 > t.width || y1 < 0 || y1 >= t.height)
               : (y1 > t.height || x1 < 0 || x1 >= t.width))
        return false;
    if (dx == 0 && dy == 0)
        return true;
    const int64_t d = xMajor ? adx : ady;
    const int64_t n = xMajor ? dy : dx;
    const int sM = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int sn = n > 0 ? 1 : n < 0 ? -1 : 0;
    const u128 an = u128(n < 0 ? -n : n);
    const u128 v = u128(d - (sn > 0 ? 1 : 0));
    if (t.bytesPerPixel == 1)
        drawSpan<1>(t, xMajor, sM, sn, xMajor ? x0 : y0, xMajor ? y0 : x0, d, v, 2 * an,
                    2 * u128(d));
    else
        drawSpan<3>(t, xMajor, sM, sn, xMajor ? x0 : y0, xMajor ? y0 : x0, d, v, 2 * an,
                    2 * u128(d));
    return true;
}

} // namespace

void drawLine(const LineTarget &t, int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    if (t.width <= 0 || t.height <= 0)
        return;
    if (drawUnclipped(t, x0, y0, x1, y1))
        return;
    const i128 dx = i128(x1) - x0;
    const i128 dy = i128(y1) - y0;
    if (dx == 0 && dy == 0)
        return;

    const bool xMajor = abs128(dx) > abs128(dy);
    const i128 M0 = xMajor ? x0 : y0;
    const i128 m0 = xMajor ? y0 : x0;
    const i128 dMajor = xMajor ? dx : dy;
    const i128 dMinor = xMajor ? dy : dx;
    const int sM = dMajor > 0 ? 1 : -1;
    const int sn = dMinor > 0 ? 1 : dMinor < 0 ? -1 : 0;
    const u128 d = u128(abs128(dMajor)); // < 2^64
    const u128 an = u128(abs128(dMinor)); // <= d
    const i128 sizeMajor = xMajor ? t.width : t.height;
    const i128 sizeMinor = xMajor ? t.height : t.width;

    // Steps whose major coordinate lies inside.
    i128 iLo, iHi;
    if (sM > 0) {
        iLo = std::max<i128>(0, -M0);
        iHi = std::min<i128>(i128(d) - 1, sizeMajor - 1 - M0);
    } else {
        iLo = std::max<i128>(0, M0 - (sizeMajor - 1));
        iHi = std::min<i128>(i128(d) - 1, M0);
    }
    if (iLo > iHi)
        return;
    const int64_t length = int64_t(iHi - iLo + 1); // <= the surface's size

    // Quotient at step iLo + j: q0 + R(j), R(j) = floor((v0 + 2|n|j) / 2d).
    const u128 c = sn > 0 ? 1 : 0;
    const u128 p0 = an * u128(iLo);
    const u128 q0 = p0 / d;
    const u128 r0 = p0 % d;
    const u128 wrap = 2 * d;
    const u128 step = 2 * an;
    const u128 v0 = 2 * r0 + d - c;

    // The quotients that keep the minor coordinate inside.
    i128 qA, qB;
    if (sn > 0) {
        qA = -m0;
        qB = sizeMinor - 1 - m0;
    } else if (sn < 0) {
        qA = m0 - (sizeMinor - 1);
        qB = m0;
    } else {
        if (m0 < 0 || m0 > sizeMinor - 1)
            return;
        qA = qB = 0;
    }
    const i128 ra = qA - i128(q0);
    const i128 rb = qB - i128(q0);
    const i128 rFirst = i128(v0 / wrap);
    const i128 rLast = i128((v0 + step * u128(length - 1)) / wrap);
    if (ra > rLast || rb < rFirst)
        return;
    i128 jStart = 0;
    i128 jEnd = length - 1;
    if (ra > rFirst)
        jStart = ceilDiv(i128(wrap) * ra - i128(v0), i128(step));
    if (rb < rLast)
        jEnd = floorDiv(i128(wrap) * (rb + 1) - 1 - i128(v0), i128(step));
    if (jStart > jEnd)
        return;

    const u128 v = v0 + step * u128(jStart);
    const i128 i = iLo + jStart;
    const int64_t major = int64_t(M0 + sM * i);
    const int64_t minor = int64_t(m0 + sn * (i128(q0) + i128(v / wrap)));
    const int64_t count = int64_t(jEnd - jStart + 1);
    if (t.bytesPerPixel == 1)
        drawSpan<1>(t, xMajor, sM, sn, major, minor, count, v % wrap, step, wrap);
    else
        drawSpan<3>(t, xMajor, sM, sn, major, minor, count, v % wrap, step, wrap);
}

} // namespace masume
