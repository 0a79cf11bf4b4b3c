#pragma once

#include "raster/Surface.h"

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>

namespace masume::test {

using PixelSet = std::set<std::pair<int, int>>;

// The black pixels of a surface drawn on white, as (x, y).
inline PixelSet blackPixels(const Surface &s)
{
    PixelSet out;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.pixel(x, y) == Black)
                out.insert({x, y});
    return out;
}

inline Surface randomSurface(int w, int h, PixelFormat format, std::mt19937 &rng)
{
    Surface s(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.setPixel(
                x, y, format == PixelFormat::Mono1 ? ((rng() & 1) ? White : Black) : rng() & White);
    return s;
}

inline bool samePixels(const Surface &a, const Surface &b, std::string *where = nullptr)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                if (where)
                    *where = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
                return false;
            }
    return true;
}

} // namespace masume::test
