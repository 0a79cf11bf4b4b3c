#include "picture/BmpRows.h"

#include <bit>
#include <cstring>

namespace masume {

namespace {

constexpr uint32_t Missing = 1u << 24;

} // namespace

uint8_t BmpRowConverter::Channel::scale(uint32_t pixel) const
{
    const uint32_t v = (pixel & mask) >> shift;
    if (!scaled.empty())
        return scaled[v];
    return uint8_t((uint64_t(v) * 510 + maximum) / (2 * maximum));
}

BmpRowConverter::BmpRowConverter(const BmpLayout &layout)
    : m_bits(layout.bitsPerPixel)
    , m_plain32(layout.bitsPerPixel == 32 && layout.masks[0] == 0xFF0000
                && layout.masks[1] == 0x00FF00 && layout.masks[2] == 0x0000FF)
{
    for (size_t i = 0; i < m_table.size(); ++i)
        m_table[i] = int(i) < layout.paletteSize ? layout.palette[i] : Missing;
    Channel *channels[3] = {&m_red, &m_green, &m_blue};
    for (int c = 0; c < 3; ++c) {
        Channel &ch = *channels[c];
        ch.mask = layout.masks[size_t(c)];
        if (ch.mask == 0)
            continue;
        ch.shift = std::countr_zero(ch.mask);
        ch.maximum = ch.mask >> ch.shift;
        if (ch.maximum < 65536) {
            ch.scaled.resize(size_t(ch.maximum) + 1);
            for (uint64_t v = 0; v <= ch.maximum; ++v)
                ch.scaled[size_t(v)] = uint8_t((v * 510 + ch.maximum) / (2 * ch.maximum));
        }
    }
}

bool BmpRowConverter::convert(const uint8_t *in, uint8_t *out, int width) const
{
    switch (m_bits) {
    case 1:
    case 2:
    case 4:
    case 8:
        return convertIndexed(in, out, width);
    case 24:
        std::memcpy(out, in, size_t(width) * 3);
        return true;
    case 32:
        if (m_plain32) {
            for (int x = 0; x < width; ++x) {
                out[3 * x] = in[4 * x];
                out[3 * x + 1] = in[4 * x + 1];
                out[3 * x + 2] = in[4 * x + 2];
            }
            return true;
        }
        [[fallthrough]];
    default:
        convertFields(in, out, width);
        return true;
    }
}

bool BmpRowConverter::convertIndexed(const uint8_t *in, uint8_t *out, int width) const
{
    const int bits = m_bits;
    uint32_t seen = 0;
    if (bits == 8) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = m_table[in[x]];
            seen |= c;
            out[3 * x] = uint8_t(c);
            out[3 * x + 1] = uint8_t(c >> 8);
            out[3 * x + 2] = uint8_t(c >> 16);
        }
        return !(seen & Missing);
    }
    const int perByte = 8 / bits;
    const unsigned valueMask = (1u << bits) - 1;
    for (int x = 0; x < width; ++x) {
        const int shift = 8 - bits * (x % perByte + 1);
        const uint32_t c = m_table[(in[x / perByte] >> shift) & valueMask];
        seen |= c;
        out[3 * x] = uint8_t(c);
        out[3 * x + 1] = uint8_t(c >> 8);
        out[3 * x + 2] = uint8_t(c >> 16);
    }
    return !(seen & Missing);
}

void BmpRowConverter::convertFields(const uint8_t *in, uint8_t *out, int width) const
{
    const int bytes = m_bits / 8;
    for (int x = 0; x < width; ++x) {
        const uint8_t *p = in + size_t(x) * bytes;
        uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
        if (bytes == 4)
            v |= uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        out[3 * x] = m_blue.scale(v);
        out[3 * x + 1] = m_green.scale(v);
        out[3 * x + 2] = m_red.scale(v);
    }
}

} // namespace masume
