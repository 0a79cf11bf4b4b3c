#pragma once

#include "raster/Colour.h"
#include "raster/RowKernels.h"

#include <cstdint>

namespace masume {

// The composite with grid made row by row, for pictures that pass as rows
// and are never held whole (masume-batch): each row equals that row of
// Compounds[1] as CanvasCore::CompoundLayer composes it from the background,
// the grid mask and the colour layer that DrawGrid fills with the grid
// colour (the same raster operations, chained per pixel).
class RowComposer
{
public:
    explicit RowComposer(Colour gridColour);

    // Row: `width` background pixels (24 bits), composed in place. Mask:
    // that row of the grid mask, one byte per pixel (0xFF white, 0x00
    // black). One pass over the row.
    void compose(uint8_t *row, const uint8_t *mask, int width) const;

private:
    rows::PixelMap m_onBlack;
    rows::PixelMap m_onWhite;
};

} // namespace masume
