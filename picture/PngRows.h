#pragma once

// The rows libspng decodes, turned into surface rows (blue, green, red).
// The rules, the same for every file: 16-bit samples become 8 bits by
// rounding, (v * 255 + 32767) / 65535; grey is widened by the library to
// three equal channels (samples of 1, 2 and 4 bits by repeating their bits,
// so that the largest value is 255); then a pixel with alpha a (its alpha
// channel, or 0 where tRNS names its colour or palette entry) is laid over
// white, each channel c becoming (c * a + 255 * (255 - a) + 127) / 255 on
// the 8-bit values. Gamma, colour profiles and significant bits are not
// applied: the samples are taken as stored.

#include <cstdint>

namespace masume {

// The library's output a file is decoded to.
enum class PngSamples : uint8_t {
    Rgb8, // red, green, blue: files with neither alpha nor tRNS, up to 8 bits
    Rgba8, // red, green, blue, alpha: files with alpha or tRNS, up to 8 bits
    Rgba16, // the same in host-endian 16-bit samples: 16-bit files
};

// The bytes of one pixel of the library's output.
constexpr unsigned pngPixelBytes(PngSamples samples)
{
    return samples == PngSamples::Rgb8 ? 3 : samples == PngSamples::Rgba8 ? 4 : 8;
}

constexpr uint8_t eightBitSample(uint16_t v)
{
    return uint8_t((uint32_t(v) * 255 + 32767) / 65535);
}

constexpr uint8_t overWhite(uint8_t c, uint8_t a)
{
    return uint8_t((unsigned(c) * a + 255u * (255u - a) + 127) / 255);
}

// Pixels first, first + step, ... below width of a decoded row into the
// same pixels of a surface row `out` (3 bytes each); the others are left
// alone. step >= 1.
void toSurfaceRow(PngSamples samples, const uint8_t *decoded, uint8_t *out, uint32_t first,
                  uint32_t step, uint32_t width);

} // namespace masume
