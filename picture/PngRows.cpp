#include "picture/PngRows.h"

#include <cstring>

namespace masume {

namespace {

// The decoded pixel x of a row, at its own size; the output pixel x.
void fromRgb8(const uint8_t *in, uint8_t *out)
{
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
}

void fromRgba8(const uint8_t *in, uint8_t *out)
{
    const uint8_t a = in[3];
    if (a == 255) {
        fromRgb8(in, out);
    } else if (a == 0) {
        out[0] = out[1] = out[2] = 255;
    } else {
        out[0] = overWhite(in[2], a);
        out[1] = overWhite(in[1], a);
        out[2] = overWhite(in[0], a);
    }
}

void fromRgba16(const uint8_t *in, uint8_t *out)
{
    uint16_t s[4];
    std::memcpy(s, in, sizeof s);
    const uint8_t eight[4]
        = {eightBitSample(s[0]), eightBitSample(s[1]), eightBitSample(s[2]), eightBitSample(s[3])};
    fromRgba8(eight, out);
}

template<void convert(const uint8_t *, uint8_t *), unsigned pixelBytes>
void convertRow(const uint8_t *decoded, uint8_t *out, uint32_t first, uint32_t step, uint32_t width)
{
    if (step == 1) {
        // The common case, kept free of the step so that it compiles to a
        // plain loop.
        for (uint32_t x = first; x < width; ++x)
            convert(decoded + size_t(x) * pixelBytes, out + size_t(x) * 3);
        return;
    }
    for (uint32_t x = first; x < width; x += step)
        convert(decoded + size_t(x) * pixelBytes, out + size_t(x) * 3);
}

} // namespace

void toSurfaceRow(PngSamples samples, const uint8_t *decoded, uint8_t *out, uint32_t first,
                  uint32_t step, uint32_t width)
{
    switch (samples) {
    case PngSamples::Rgb8:
        convertRow<fromRgb8, 3>(decoded, out, first, step, width);
        break;
    case PngSamples::Rgba8:
        convertRow<fromRgba8, 4>(decoded, out, first, step, width);
        break;
    case PngSamples::Rgba16:
        convertRow<fromRgba16, 8>(decoded, out, first, step, width);
        break;
    }
}

} // namespace masume
