#pragma once

#include "Grid/GridRoutines.h"
#include "raster/LineSink.h"

#include <initializer_list>
#include <ostream>
#include <vector>

namespace masume::test {

// One drawing call of a grid routine: a pen move or a line to points[0], or
// a polyline through points.
struct Op
{
    enum Kind : char { Move = 'M', Line = 'L', Poly = 'P' };
    Kind kind;
    std::vector<Point> points;
    friend bool operator==(const Op &, const Op &) = default;
};

inline void PrintTo(const Op &op, std::ostream *os)
{
    *os << char(op.kind);
    for (const Point &p : op.points)
        *os << " (" << p.x << ", " << p.y << ")";
}

using Ops = std::vector<Op>;

// Records the calls in drawing order.
class Recorder final : public LineSink
{
public:
    void MoveTo(int64_t x, int64_t y) override { ops.push_back({Op::Move, {{x, y}}}); }
    void LineTo(int64_t x, int64_t y) override { ops.push_back({Op::Line, {{x, y}}}); }
    void Polyline(std::span<const Point> points) override
    {
        ops.push_back({Op::Poly, {points.begin(), points.end()}});
    }
    Ops ops;
};

using Routine = void (*)(const GridTarget &, int32_t, int32_t);

// The calls of a routine on a W x H mask, with the settings equal to a, b.
inline Ops record(Routine routine, int64_t W, int64_t H, int32_t a, int32_t b)
{
    Recorder r;
    routine({r, W, H, a, b}, a, b);
    return std::move(r.ops);
}

// A connected path: a pen move to the first point, a line to each next one.
inline Ops path(std::initializer_list<Point> points)
{
    Ops out;
    for (const Point &p : points)
        out.push_back({out.empty() ? Op::Move : Op::Line, {p}});
    return out;
}

inline Ops &operator+=(Ops &to, const Ops &more)
{
    to.insert(to.end(), more.begin(), more.end());
    return to;
}

inline Op polyline(std::initializer_list<Point> points)
{
    return {Op::Poly, points};
}

} // namespace masume::test
