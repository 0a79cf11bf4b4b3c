#include "raster/RowKernels.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace masume::rows {

namespace {

template<RasterOp Op>
inline uint8_t op8(uint8_t s, uint8_t d)
{
    if constexpr (Op == RasterOp::SRCPAINT)
        return uint8_t(s | d);
    else if constexpr (Op == RasterOp::MERGEPAINT)
        return uint8_t(~s | d);
    else
        return uint8_t(s & d);
}

template<RasterOp Op>
inline uint64_t op64(uint64_t s, uint64_t d)
{
    if constexpr (Op == RasterOp::SRCPAINT)
        return s | d;
    else if constexpr (Op == RasterOp::MERGEPAINT)
        return ~s | d;
    else
        return s & d;
}

template<RasterOp Op>
void combineBytes(uint8_t *out, const uint8_t *src, size_t bytes)
{
    for (size_t i = 0; i < bytes; ++i)
        out[i] = op8<Op>(src[i], out[i]);
}

// For 8 mask pixels given as 8 bits (bit k set: pixel k white), their 24
// colour bytes as three 64-bit words.
struct Expansion
{
    std::array<std::array<uint64_t, 3>, 256> words;
    Expansion()
    {
        for (int bits = 0; bits < 256; ++bits) {
            uint8_t bytes[24];
            for (int j = 0; j < 24; ++j)
                bytes[j] = (bits >> (j / 3)) & 1 ? 0xFF : 0x00;
            std::memcpy(words[size_t(bits)].data(), bytes, 24);
        }
    }
};

const Expansion &expansion()
{
    static const Expansion table;
    return table;
}

// The 24 bytes of 8 pixels that all have the colour bytes v.
struct Pattern
{
    uint64_t words[3];
    explicit Pattern(const uint8_t v[3])
    {
        uint8_t bytes[24];
        for (int j = 0; j < 24; ++j)
            bytes[j] = v[j % 3];
        std::memcpy(words, bytes, 24);
    }
};

// 8 pixels: each takes v1 where its mask bit is set (white) and v0 where
// not, combined into out.
template<RasterOp Op>
inline void apply8(uint8_t *out, unsigned bits, const Expansion &table, const Pattern &v0,
                   const Pattern &v1)
{
    const auto &e = table.words[bits];
    uint64_t d[3];
    std::memcpy(d, out, 24);
    for (size_t k = 0; k < 3; ++k)
        d[k] = op64<Op>((e[k] & v1.words[k]) | (~e[k] & v0.words[k]), d[k]);
    std::memcpy(out, d, 24);
}

template<RasterOp Op>
bool leavesAsIs(const uint8_t v[3])
{
    const bool allZero = (v[0] | v[1] | v[2]) == 0;
    const bool allOnes = (v[0] & v[1] & v[2]) == 0xFF;
    return Op == RasterOp::SRCPAINT ? allZero : allOnes;
}

// 16 pixels with one mask test; groups whose colour leaves the pixels as
// they are (for a grid mask, most groups are all white) are skipped without
// touching the pixels.
template<RasterOp Op>
void selectT(uint8_t *out, const uint8_t *mask, int64_t pixels, const uint8_t v0[3],
             const uint8_t v1[3])
{
    int64_t x = 0;
#if defined(__SSE2__)
    const Expansion &table = expansion();
    const Pattern p0(v0), p1(v1);
    const bool skipWhite = leavesAsIs<Op>(v1);
    const bool skipBlack = leavesAsIs<Op>(v0);
    for (; x + 16 <= pixels; x += 16) {
        const unsigned bits = unsigned(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(mask + x))));
        if ((bits == 0xFFFF && skipWhite) || (bits == 0 && skipBlack))
            continue;
        uint8_t *o = out + 3 * x;
        apply8<Op>(o, bits & 0xFF, table, p0, p1);
        apply8<Op>(o + 24, bits >> 8, table, p0, p1);
    }
#endif
    for (; x < pixels; ++x) {
        const uint8_t *v = mask[x] ? v1 : v0;
        out[3 * x] = op8<Op>(v[0], out[3 * x]);
        out[3 * x + 1] = op8<Op>(v[1], out[3 * x + 1]);
        out[3 * x + 2] = op8<Op>(v[2], out[3 * x + 2]);
    }
}

template<RasterOp Op>
void combineRgbOntoMonoT(uint8_t *out, const uint8_t *src, int64_t pixels)
{
    for (int64_t x = 0; x < pixels; ++x) {
        const uint8_t d = out[x];
        const Colour c = rgb(op8<Op>(src[3 * x + 2], d), op8<Op>(src[3 * x + 1], d), op8<Op>(src[3 * x], d));
        out[x] = isLight(c) ? 0xFF : 0x00;
    }
}

} // namespace

void fill(uint8_t *out, int64_t pixels, int bpp, const uint8_t value[3])
{
    if (pixels <= 0)
        return;
    if (bpp == 1 || (value[0] == value[1] && value[1] == value[2])) {
        std::memset(out, value[0], size_t(pixels) * size_t(bpp));
        return;
    }
    // Doubling copies: a handful of memcpy calls for any length.
    std::memcpy(out, value, 3);
    size_t done = 3;
    const size_t total = size_t(pixels) * 3;
    while (done < total) {
        const size_t n = done < total - done ? done : total - done;
        std::memcpy(out + done, out, n);
        done += n;
    }
}

void combine(RasterOp op, uint8_t *out, const uint8_t *src, size_t bytes)
{
    switch (op) {
    case RasterOp::SRCPAINT:
        return combineBytes<RasterOp::SRCPAINT>(out, src, bytes);
    case RasterOp::MERGEPAINT:
        return combineBytes<RasterOp::MERGEPAINT>(out, src, bytes);
    case RasterOp::SRCAND:
        return combineBytes<RasterOp::SRCAND>(out, src, bytes);
    }
}

void combineMono(RasterOp op, uint8_t *out, const uint8_t *mask, int64_t pixels)
{
    static const uint8_t black[3] = {0, 0, 0}, white[3] = {0xFF, 0xFF, 0xFF};
    combineMonoSelect(op, out, mask, pixels, black, white);
}

void combineMonoSelect(RasterOp op, uint8_t *out, const uint8_t *mask, int64_t pixels,
                       const uint8_t v0[3], const uint8_t v1[3])
{
    switch (op) {
    case RasterOp::SRCPAINT:
        return selectT<RasterOp::SRCPAINT>(out, mask, pixels, v0, v1);
    case RasterOp::MERGEPAINT:
        return selectT<RasterOp::MERGEPAINT>(out, mask, pixels, v0, v1);
    case RasterOp::SRCAND:
        return selectT<RasterOp::SRCAND>(out, mask, pixels, v0, v1);
    }
}

void combineRgbOntoMono(RasterOp op, uint8_t *out, const uint8_t *src, int64_t pixels)
{
    switch (op) {
    case RasterOp::SRCPAINT:
        return combineRgbOntoMonoT<RasterOp::SRCPAINT>(out, src, pixels);
    case RasterOp::MERGEPAINT:
        return combineRgbOntoMonoT<RasterOp::MERGEPAINT>(out, src, pixels);
    case RasterOp::SRCAND:
        return combineRgbOntoMonoT<RasterOp::SRCAND>(out, src, pixels);
    }
}

Colour combineColours(RasterOp op, Colour s, Colour d)
{
    switch (op) {
    case RasterOp::SRCPAINT:
        return (s | d) & White;
    case RasterOp::MERGEPAINT:
        return (~s | d) & White;
    case RasterOp::SRCAND:
        return s & d & White;
    }
    return d;
}

} // namespace masume::rows
