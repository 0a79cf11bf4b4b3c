#include "raster/RowKernels.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace masume::rows {

namespace {

template<RasterOp Op> inline uint8_t op8(uint8_t s, uint8_t d)
{
    if constexpr (Op == RasterOp::SRCPAINT)
        return uint8_t(s | d);
    else if constexpr (Op == RasterOp::MERGEPAINT)
        return uint8_t(~s | d);
    else
        return uint8_t(s & d);
}

template<RasterOp Op> void combineBytes(uint8_t *out, const uint8_t *src, size_t bytes)
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

// 8 pixels: each mapped by m1 where its mask bit is set (white) and by m0
// where not.
struct Patterns
{
    Pattern a0, b0, a1, b1;
    explicit Patterns(const PixelMap &m0, const PixelMap &m1)
        : a0(m0.a)
        , b0(m0.b)
        , a1(m1.a)
        , b1(m1.b)
    {
    }
};

inline void apply8(uint8_t *out, unsigned bits, const Expansion &table, const Patterns &p)
{
    const auto &e = table.words[bits];
    uint64_t d[3];
    std::memcpy(d, out, 24);
    for (size_t k = 0; k < 3; ++k) {
        const uint64_t a = (e[k] & p.a1.words[k]) | (~e[k] & p.a0.words[k]);
        const uint64_t b = (e[k] & p.b1.words[k]) | (~e[k] & p.b0.words[k]);
        d[k] = (d[k] & a) | b;
    }
    std::memcpy(out, d, 24);
}

bool isIdentity(const PixelMap &m)
{
    return (m.a[0] & m.a[1] & m.a[2]) == 0xFF && (m.b[0] | m.b[1] | m.b[2]) == 0;
}

} // namespace

void mapByMask(uint8_t *out, const uint8_t *mask, int64_t pixels, const PixelMap &m0,
               const PixelMap &m1)
{
    const bool skipWhite = isIdentity(m1);
    const bool skipBlack = isIdentity(m0);
    if (skipWhite && skipBlack)
        return;
    int64_t x = 0;
#if defined(__SSE2__)
    // 16 pixels with one mask test, then each group of 8 on its own: a thin
    // vertical line touches one of them.
    const Expansion &table = expansion();
    const Patterns p(m0, m1);
    for (; x + 16 <= pixels; x += 16) {
        const unsigned bits = unsigned(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(mask + x))));
        if ((bits == 0xFFFF && skipWhite) || (bits == 0 && skipBlack))
            continue;
        for (const unsigned half : {0u, 1u}) {
            const unsigned b = (bits >> (8 * half)) & 0xFF;
            if ((b == 0xFF && skipWhite) || (b == 0 && skipBlack))
                continue;
            apply8(out + 3 * x + 24 * half, b, table, p);
        }
    }
#endif
    for (; x < pixels; ++x) {
        const PixelMap &m = mask[x] ? m1 : m0;
        for (int k = 0; k < 3; ++k)
            out[3 * x + k] = uint8_t((out[3 * x + k] & m.a[k]) | m.b[k]);
    }
}

PixelMap mapOf(RasterOp op, const uint8_t source[3])
{
    PixelMap m {};
    for (int k = 0; k < 3; ++k) {
        const uint8_t s = source[k];
        m.a[k] = op == RasterOp::SRCAND ? s : 0xFF;
        m.b[k] = op == RasterOp::SRCPAINT ? s : op == RasterOp::MERGEPAINT ? uint8_t(~s) : 0;
    }
    return m;
}

PixelMap mapOfMaskPixel(RasterOp op, bool white)
{
    static const uint8_t black[3] = {0, 0, 0}, whiteBytes[3] = {0xFF, 0xFF, 0xFF};
    return mapOf(op, white ? whiteBytes : black);
}

PixelMap chain(const PixelMap &first, const PixelMap &second)
{
    PixelMap m {};
    for (int k = 0; k < 3; ++k) {
        m.a[k] = first.a[k] & second.a[k];
        m.b[k] = uint8_t((first.b[k] & second.a[k]) | second.b[k]);
    }
    return m;
}

namespace {

template<RasterOp Op> void combineRgbOntoMonoT(uint8_t *out, const uint8_t *src, int64_t pixels)
{
    for (int64_t x = 0; x < pixels; ++x) {
        const uint8_t d = out[x];
        const Colour c
            = rgb(op8<Op>(src[3 * x + 2], d), op8<Op>(src[3 * x + 1], d), op8<Op>(src[3 * x], d));
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
    mapByMask(out, mask, pixels, mapOfMaskPixel(op, false), mapOfMaskPixel(op, true));
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
