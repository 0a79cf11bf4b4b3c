#pragma once

#include "raster/Line.h"
#include "raster/LineSink.h"
#include "raster/Surface.h"

namespace masume {

// The grid routines' pen on a surface (the grid mask): sets the same pixels
// as the surface's own LineTo and Polyline in its pen colour, faster.
//
// A grid is mostly lines along one pixel row or column, and the hexagons of
// 1 x 1 are millions of one-pixel lines, where the cost per call decides.
// Such lines, when they lie inside the surface, are set here directly; every
// other line goes to the raster line drawer, which also serves the surface.
//
// The pen takes the surface's pixels at its first line and writes them in
// place: while it exists, the surface must not be resized, copied or drawn
// on by anyone else. On destruction the pen position it reached becomes the
// surface's, as if the surface had drawn the lines itself.
class MaskPen final : public LineSink
{
public:
    explicit MaskPen(Surface &surface);
    ~MaskPen() override;
    MaskPen(const MaskPen &) = delete;
    MaskPen &operator=(const MaskPen &) = delete;

    void MoveTo(int64_t x, int64_t y) override;
    void LineTo(int64_t x, int64_t y) override;
    void Polyline(std::span<const Point> points) override;

private:
    void segment(int64_t x0, int64_t y0, int64_t x1, int64_t y1);

    Surface &m_surface;
    LineTarget m_target {};
    Point m_pos;
};

} // namespace masume
