#pragma once

#include "Grid/GridRoutines.h"

#include <cstddef>
#include <cstdint>

namespace masume {

// The grid mask drawn a band of rows at a time, for pictures that pass as
// rows and are never held whole (masume-batch): each band holds exactly the
// pixels that the mask of GridCore::DrawGLine holds in its rows for the same
// kind, sizes and picture size, and costs the lines that cross it.
class BandMask
{
public:
    // The lines of kind `kind` with cells of sizeH x sizeV pixels on a mask
    // of width x height, as the grid window draws them with those settings.
    BandMask(int32_t kind, int32_t sizeH, int32_t sizeV, int width, int height);

    // True for the kinds that draw nothing: every band is white.
    bool blank() const { return m_routine == nullptr; }

    // Computes what drawing the whole mask computes before its first line,
    // so that a size of 0 raises "0 による浮動小数点数除算" (or
    // "不正な浮動小数点数演算命令") here, as opening a picture would; draws
    // nothing.
    void check() const;

    // Rows top .. top + rows - 1 of the mask into out, rows `stride` bytes
    // apart, one byte per pixel: 0xFF white, 0x00 black on the lines. The
    // rows lie inside the mask. Raises as check() does.
    void draw(uint8_t *out, ptrdiff_t stride, int top, int rows) const;

private:
    GridRoutine m_routine;
    int32_t m_sizeH, m_sizeV;
    int m_width, m_height;
};

} // namespace masume
