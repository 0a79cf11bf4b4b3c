#include "Canvas/ComposedRows.h"

namespace masume {

namespace {

// The composition of one pixel whose mask pixel is white or black: MERGEPAINT
// of the mask onto the background, then SRCAND of the colour layer, whose
// pixel there is the grid colour ORed with the mask pixel (DrawGrid).
rows::PixelMap compositionWhere(bool white, Colour gridColour)
{
    const Colour layer
        = rows::combineColours(RasterOp::SRCPAINT, white ? White : Black, gridColour);
    const uint8_t bytes[3] = {blueOf(layer), greenOf(layer), redOf(layer)};
    return rows::chain(rows::mapOfMaskPixel(RasterOp::MERGEPAINT, white),
                       rows::mapOf(RasterOp::SRCAND, bytes));
}

} // namespace

RowComposer::RowComposer(Colour gridColour)
    : m_onBlack(compositionWhere(false, gridColour))
    , m_onWhite(compositionWhere(true, gridColour))
{
}

void RowComposer::compose(uint8_t *row, const uint8_t *mask, int width) const
{
    rows::mapByMask(row, mask, width, m_onBlack, m_onWhite);
}

} // namespace masume
