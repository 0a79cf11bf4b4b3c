#pragma once

#include "raster/Surface.h"

#include <cstdint>
#include <memory>

namespace masume {

// Reads the rows of a surface without making it keep its pixels: rows held
// in storage are returned in place; the rows of a solid surface or of a
// recorded blit (the composite with grid) are built one at a time into the
// reader's own row, at the cost of that row alone. So a writer or the view
// can read a composite that was never stored whole.
//
// The surface must outlive the reader and stay unchanged while it is read.
// A returned pointer is valid until the next call (and, for rows in place,
// until the surface is next drawn on).
class RowReader
{
public:
    explicit RowReader(const Surface &surface);

    // Row y, 0 <= y < height: stride() bytes in the surface's layout, the
    // row padding zero.
    const uint8_t *row(int y);

    // Pixels left .. left + count - 1 of row y, in the surface's layout;
    // the part lies inside the surface.
    const uint8_t *part(int y, int left, int count);

    // True when rows come straight from the surface's storage.
    bool inPlace() const { return m_surface.hasStorage(); }

private:
    const Surface &m_surface;
    std::unique_ptr<uint8_t[]> m_row; // stride() bytes, padding zero
    bool m_solidBuilt = false;
};

} // namespace masume
