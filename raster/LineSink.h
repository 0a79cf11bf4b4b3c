#pragma once

#include <cstdint>
#include <span>

namespace masume {

// A point in pixel coordinates; 64 bits, so that coordinates built from
// 32-bit sizes never wrap.
struct Point
{
    int64_t x;
    int64_t y;
    friend bool operator==(const Point &, const Point &) = default;
};

// The drawing seam of the grid routines: pen moves, lines and polylines,
// in the order drawn. A surface draws them; a test can record them.
class LineSink
{
public:
    virtual ~LineSink() = default;
    virtual void MoveTo(int64_t x, int64_t y) = 0;
    virtual void LineTo(int64_t x, int64_t y) = 0;
    virtual void Polyline(std::span<const Point> points) = 0;
};

} // namespace masume
