#include "Grid/GridCore.h"

#include "Grid/GridRoutines.h"
#include "common/MemoryFailure.h"
#include "common/NumberConversion.h"

#include <utility>

namespace masume {

void GridCore::FormCreate(std::string_view sizeHText, std::string_view sizeVText)
{
    GridMask = Surface(PixelFormat::Mono1);
    GridMask.setBrushColor(White);
    GridMask.setPenColor(Black);
    ColorLayer = Surface(PixelFormat::Rgb24);
    ColorLayer.setBrushColor(Black);
    GridKind = 0;
    SizeH = strToInt(sizeHText);
    SizeV = strToInt(sizeVText);
}

GridCore::Routine GridCore::routineFor(int32_t kind)
{
    switch (kind) {
    case GridKinds::Square:
        return &GridCore::DrawSquare;
    case GridKinds::Diamond:
        return &GridCore::DrawDiamond;
    case GridKinds::StaggeredRows:
        return &GridCore::DrawSHexH;
    case GridKinds::StaggeredColumns:
        return &GridCore::DrawSHexV;
    case GridKinds::HexRows:
        return &GridCore::DrawHexH;
    case GridKinds::HexColumns:
        return &GridCore::DrawHexV;
    default:
        return nullptr; // 0, 1 and every other code draw nothing
    }
}

void GridCore::DrawGLine()
{
    // The copy shares the old mask's pixels: the mask is cleared as a whole
    // before it is drawn on, so it takes new storage and the copy stays.
    Surface previous = GridMask;
    undoOnMemoryFailure(
        [this] {
            const int W = m_canvas->canvasWidth();
            const int H = m_canvas->canvasHeight();
            GridMask.setWidth(W);
            GridMask.setHeight(H);
            GridMask.FillRect(0, 0, W, H);
            if (const Routine routine = routineFor(GridKind))
                (this->*routine)(SizeH, SizeV);
            DrawGrid();
        },
        [&] { GridMask = std::move(previous); });
}

void GridCore::DrawGrid()
{
    Surface previous = ColorLayer; // shares, as in DrawGLine
    undoOnMemoryFailure(
        [this] {
            const int W = m_canvas->canvasWidth();
            const int H = m_canvas->canvasHeight();
            ColorLayer.FillRect(0, 0, W, H);
            BitBlt(ColorLayer, GridMask, RasterOp::SRCPAINT);
            m_canvas->CompoundLayer();
        },
        [&] { ColorLayer = std::move(previous); });
}

void GridCore::GridTypeExecute(int32_t imageIndex)
{
    GridKind = imageIndex;
    DrawGLine();
}

} // namespace masume
