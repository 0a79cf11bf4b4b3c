#include "picture/SurfaceStream.h"

#include "raster/RowReader.h"

#include <cstring>

namespace masume {

SurfaceStream::SurfaceStream(Surface picture)
    : m_picture(std::move(picture))
{
    m_picture.convertTo24();
    m_width = m_picture.width();
    m_height = m_picture.height();
}

void SurfaceStream::readRows(uint8_t *out, ptrdiff_t stride, int count)
{
    RowReader rows(m_picture);
    for (int i = 0; i < count; ++i, ++m_next)
        std::memcpy(out + i * stride, rows.row(m_next), size_t(m_width) * 3);
}

uint64_t SurfaceStream::heldBytes() const
{
    return uint64_t(m_picture.stride()) * uint64_t(m_height);
}

bool SurfaceStream::handOver(Surface &picture)
{
    picture = std::move(m_picture);
    return true;
}

} // namespace masume
