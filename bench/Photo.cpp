#include "bench/Photo.h"

#include "picture/AtomicFile.h"
#include "picture/BmpEncoder.h"
#include "picture/JpegEncoder.h"
#include "picture/PictureFile.h"

#include <algorithm>
#include <memory>
#include <random>

namespace masume::bench {

namespace {

// A 32-bit finaliser with full avalanche: neighbouring cells get unrelated
// values.
uint32_t mix(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

// The lattice value of cell (cx, cy), in [-1, 1).
float latticeValue(int cx, int cy, uint32_t seed)
{
    const uint32_t h = mix(mix(mix(seed) + uint32_t(cx)) + uint32_t(cy));
    return float(h >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

float smooth(float t)
{
    return t * t * (3 - 2 * t);
}

bool isJpegName(const std::string &file)
{
    std::string ext;
    for (char c : dottedExtensionOf(file))
        ext += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".jpg" || ext == ".jpeg";
}

} // namespace

NoiseRows::NoiseRows(int W, int cell, uint32_t seed)
    : m_W(W)
    , m_cell(cell)
    , m_seed(seed)
    , m_step(size_t(cell))
    , m_top(size_t(W / cell + 2))
    , m_bottom(m_top.size())
    , m_blend(m_top.size())
{
    for (int k = 0; k < cell; ++k)
        m_step[size_t(k)] = smooth(float(k) / float(cell));
}

void NoiseRows::hashRow(int cy, std::vector<float> &values) const
{
    for (size_t cx = 0; cx < values.size(); ++cx)
        values[cx] = latticeValue(int(cx), cy, m_seed);
}

void NoiseRows::addRow(int y, float amplitude, float *out)
{
    const int cy = y / m_cell;
    if (cy == m_cy + 1) {
        m_top.swap(m_bottom);
        hashRow(cy + 1, m_bottom);
    } else if (cy != m_cy) {
        hashRow(cy, m_top);
        hashRow(cy + 1, m_bottom);
    }
    m_cy = cy;
    const float fy = m_step[size_t(y % m_cell)];
    for (size_t c = 0; c < m_blend.size(); ++c)
        m_blend[c] = m_top[c] + (m_bottom[c] - m_top[c]) * fy;
    for (int x0 = 0, c = 0; x0 < m_W; x0 += m_cell, ++c) {
        const float left = m_blend[size_t(c)], rise = m_blend[size_t(c) + 1] - left;
        const int n = std::min(m_cell, m_W - x0);
        float *o = out + x0;
        for (int k = 0; k < n; ++k)
            o[k] += amplitude * (left + rise * m_step[size_t(k)]);
    }
}

// Detail on every scale with less contrast the finer it is (as in
// photographs of natural scenes), slowly changing colour casts, a horizon
// and a bright band; not noise, which no photograph is.
PhotoRows::PhotoRows(int W, int H, unsigned variant)
    : m_W(W)
    , m_H(H)
    , m_warmth(W, 900, 10 * variant + 6)
    , m_green(W, 700, 10 * variant + 7)
    , m_light(size_t(W))
    , m_warm(size_t(W))
    , m_greenish(size_t(W))
{
    const int cells[] = {600, 150, 40, 11, 3};
    for (unsigned o = 0; o < 5; ++o)
        m_octaves.emplace_back(W, cells[o], 10 * variant + o + 1);
}

void PhotoRows::row(int y, uint8_t *out)
{
    static constexpr float Amplitude[] = {1.0f, 0.55f, 0.32f, 0.2f, 0.14f};
    std::fill(m_light.begin(), m_light.end(), 0.0f);
    std::fill(m_warm.begin(), m_warm.end(), 0.0f);
    std::fill(m_greenish.begin(), m_greenish.end(), 0.0f);
    for (size_t o = 0; o < m_octaves.size(); ++o)
        m_octaves[o].addRow(y, Amplitude[o], m_light.data());
    m_warmth.addRow(y, 35, m_warm.data());
    m_green.addRow(y, 25, m_greenish.data());

    const float horizon = y > m_H * 5 / 8 ? -0.35f : 0.15f;
    const auto clamp = [](float v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    // The bright band: pixels with (x + y / 2) % 1500 < 80.
    int band = (y / 2) % 1500;
    for (int x = 0; x < m_W; ++x, out += 3) {
        const float light = m_light[size_t(x)] + horizon + (band < 80 ? 0.5f : 0);
        if (++band == 1500)
            band = 0;
        const float l = 120 + 70 * light;
        const float w = m_warm[size_t(x)], g = m_greenish[size_t(x)];
        out[2] = clamp(l + w);
        out[1] = clamp(l + g);
        out[0] = clamp(l - w - 0.5f * g);
    }
}

Surface photo(int W, int H, unsigned variant)
{
    PhotoRows rows(W, H, variant);
    Surface s(W, H, PixelFormat::Rgb24);
    uint8_t *pixels = s.pixelsForOverwrite();
    for (int y = 0; y < H; ++y)
        rows.row(y, pixels + y * s.stride());
    return s;
}

void writePhoto(int W, int H, unsigned variant, const std::string &file)
{
    PhotoRows photo(W, H, variant);
    AtomicFile sink(file);
    std::unique_ptr<PictureEncoder> encoder;
    if (isJpegName(file))
        encoder = std::make_unique<JpegEncoder>(sink, W, H);
    else
        encoder = std::make_unique<BmpEncoder>(sink, W, H);
    // A JPEG encoder's group of rows at a time.
    constexpr int Band = 16;
    const ptrdiff_t stride = ptrdiff_t(3) * W;
    std::vector<uint8_t> rows(size_t(stride) * Band);
    for (int y = 0; y < H; y += Band) {
        const int count = std::min(Band, H - y);
        for (int r = 0; r < count; ++r)
            photo.row(y + r, rows.data() + r * stride);
        encoder->writeRows(y, rows.data(), stride, count);
    }
    encoder->finish();
    sink.commit();
}

Surface noisePicture(int W, int H)
{
    Surface s(W, H, PixelFormat::Rgb24);
    std::mt19937 rng(1);
    for (int y = 0; y < H; ++y) {
        uint8_t *row = s.scanLine(y);
        for (int x = 0; x < W * 3; ++x)
            row[x] = uint8_t(rng());
    }
    return s;
}

} // namespace masume::bench
