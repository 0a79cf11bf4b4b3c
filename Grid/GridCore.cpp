#include "Grid/GridCore.h"

#include "Grid/MaskPen.h"
#include "common/MemoryFailure.h"

#include <utility>

namespace masume {

void GridCore::FormCreate(int32_t sizeH, int32_t sizeV)
{
    m_gridMask = Surface(PixelFormat::Mono1);
    m_gridMask.setBrushColor(White);
    m_gridMask.setPenColor(Black);
    m_colorLayer = Surface(PixelFormat::Rgb24);
    m_colorLayer.setBrushColor(Black);
    m_gridKind = 0;
    m_sizeH = sizeH;
    m_sizeV = sizeV;
}

void GridCore::DrawGLine()
{
    // The copy shares the old mask's pixels: the mask is cleared as a whole
    // before it is drawn on, so it takes new storage and the copy stays.
    Surface previous = m_gridMask;
    undoOnMemoryFailure(
        [this] {
            const int W = m_canvas->canvasWidth();
            const int H = m_canvas->canvasHeight();
            m_gridMask.setWidth(W);
            m_gridMask.setHeight(H);
            m_gridMask.FillRect(0, 0, W, H);
            if (const GridRoutine routine = routineFor(m_gridKind)) {
                // The routine draws with the mask's pen, over its size, with
                // a = SizeH and b = SizeV.
                MaskPen pen(m_gridMask);
                routine({pen, m_gridMask.width(), m_gridMask.height(), m_sizeH, m_sizeV}, m_sizeH,
                        m_sizeV);
            }
            DrawGrid();
        },
        [&] { m_gridMask = std::move(previous); });
}

void GridCore::DrawGrid()
{
    Surface previous = m_colorLayer; // shares, as in DrawGLine
    undoOnMemoryFailure(
        [this] {
            const int W = m_canvas->canvasWidth();
            const int H = m_canvas->canvasHeight();
            m_colorLayer.FillRect(0, 0, W, H);
            BitBlt(m_colorLayer, m_gridMask, RasterOp::SRCPAINT);
            m_canvas->CompoundLayer();
        },
        [&] { m_colorLayer = std::move(previous); });
}

void GridCore::GridTypeExecute(int32_t imageIndex)
{
    m_gridKind = imageIndex;
    DrawGLine();
}

GridCore::Surfaces GridCore::resizedSurfaces(int width, int height) const
{
    return {resizedCopy(m_gridMask, width, height), resizedCopy(m_colorLayer, width, height)};
}

GridCore::Surfaces GridCore::exchangeSurfaces(Surfaces &&surfaces) noexcept
{
    Surfaces previous {std::move(m_gridMask), std::move(m_colorLayer)};
    m_gridMask = std::move(surfaces.GridMask);
    m_colorLayer = std::move(surfaces.ColorLayer);
    return previous;
}

} // namespace masume
