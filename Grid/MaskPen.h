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
//
// A pen on a band draws on rows of a mask held apart from it: the target
// holds the mask's rows top .. top + target.height - 1, and each line sets
// there the pixels it would set in those rows of the whole mask.
class MaskPen final : public LineSink
{
public:
    explicit MaskPen(Surface &surface);
    MaskPen(const LineTarget &band, int64_t top);
    ~MaskPen() override;
    MaskPen(const MaskPen &) = delete;
    MaskPen &operator=(const MaskPen &) = delete;

    void MoveTo(int64_t x, int64_t y) override;
    void LineTo(int64_t x, int64_t y) override;
    void Polyline(std::span<const Point> points) override;

private:
    void segment(int64_t x0, int64_t y0, int64_t x1, int64_t y1);

    Surface *m_surface = nullptr; // the whole mask, or null for a band
    LineTarget m_target {};
    int64_t m_top = 0;
    Point m_pos {0, 0};
};

} // namespace masume
