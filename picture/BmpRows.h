#pragma once

#include "picture/BmpHeader.h"

#include <cstdint>
#include <vector>

namespace masume {

// Converts stored rows of plain or bit-field coded BMP pixels of any size
// to 24-bit rows (blue, green, red per pixel). Palette pixels go through the
// colour table; bit-field channels are scaled to 0..255 with rounding
// (value * 255 / maximum), so a channel of fewer than 8 bits reaches full
// white; any fourth byte or unused bits are dropped.
class BmpRowConverter
{
public:
    explicit BmpRowConverter(const BmpLayout &layout);

    // Converts `width` pixels from `in` (the stored row, at least
    // (width * bits + 7) / 8 bytes) to `out` (width * 3 bytes). Returns
    // false when a pixel refers to a colour the table does not have.
    bool convert(const uint8_t *in, uint8_t *out, int width) const;

private:
    struct Channel
    {
        uint32_t mask = 0;
        int shift = 0;
        uint64_t maximum = 0; // mask >> shift
        std::vector<uint8_t> scaled; // for maximum < 65536
        uint8_t scale(uint32_t pixel) const;
    };

    bool convertIndexed(const uint8_t *in, uint8_t *out, int width) const;
    void convertFields(const uint8_t *in, uint8_t *out, int width) const;

    int m_bits;
    bool m_plain32; // 8-bit channels at their usual places
    // Palette entries with bit 24 set for values beyond the table.
    std::array<uint32_t, 256> m_table {};
    Channel m_red, m_green, m_blue;
};

} // namespace masume
