#include "raster/RowReader.h"

#include "raster/SurfaceRows.h"

namespace masume {

RowReader::RowReader(const Surface &surface)
    : m_surface(surface)
{
    if (!surface.hasStorage())
        m_row.reset(new uint8_t[size_t(surface.stride())]()); // zero padding
}

const uint8_t *RowReader::row(int y)
{
    const Surface &s = m_surface;
    if (s.hasStorage())
        return s.m_pixels.get() + ptrdiff_t(y) * s.stride();
    // Every row of a solid surface is the same: built once.
    if (s.isSolid() && m_solidBuilt)
        return m_row.get();
    SurfaceWriter::rowInto(s, y, m_row.get());
    m_solidBuilt = s.isSolid();
    return m_row.get();
}

const uint8_t *RowReader::part(int y, int left, int count)
{
    const Surface &s = m_surface;
    const ptrdiff_t offset = ptrdiff_t(left) * s.bytesPerPixel();
    if (s.hasStorage())
        return s.m_pixels.get() + ptrdiff_t(y) * s.stride() + offset;
    if (s.isSolid())
        return row(y) + offset;
    SurfaceWriter::partInto(s, y, left, count, m_row.get() + offset);
    return m_row.get() + offset;
}

} // namespace masume
