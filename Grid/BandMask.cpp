#include "Grid/BandMask.h"

#include "Grid/GridKinds.h"
#include "Grid/MaskPen.h"

#include <cstring>

namespace masume {

namespace {

// Takes the lines of check() and sets nothing.
class NoPen final : public LineSink
{
public:
    void MoveTo(int64_t, int64_t) override { }
    void LineTo(int64_t, int64_t) override { }
    void Polyline(std::span<const Point>) override { }
};

constexpr uint8_t MaskWhite = 0xFF;
constexpr uint8_t MaskBlack = 0x00;

} // namespace

BandMask::BandMask(int32_t kind, int32_t sizeH, int32_t sizeV, int width, int height)
    : m_routine(routineFor(kind))
    , m_sizeH(sizeH)
    , m_sizeV(sizeV)
    , m_width(width)
    , m_height(height)
{
}

void BandMask::check() const
{
    if (!m_routine)
        return;
    // A band of no rows: the routine computes its counts, then finds (almost)
    // no line to draw.
    NoPen pen;
    m_routine({pen, m_width, m_height, m_sizeH, m_sizeV, RowBand {0, 0}}, m_sizeH, m_sizeV);
}

void BandMask::draw(uint8_t *out, ptrdiff_t stride, int top, int rows) const
{
    for (int y = 0; y < rows; ++y)
        std::memset(out + y * stride, MaskWhite, size_t(m_width));
    if (!m_routine)
        return;
    LineTarget band {out, stride, 1, m_width, rows, {MaskBlack, MaskBlack, MaskBlack}};
    MaskPen pen(band, top);
    m_routine({pen, m_width, m_height, m_sizeH, m_sizeV, RowBand {top, int64_t(top) + rows}},
              m_sizeH, m_sizeV);
}

} // namespace masume
