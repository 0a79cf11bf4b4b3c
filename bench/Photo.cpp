#include "bench/Photo.h"

#include <random>
#include <vector>

namespace masume::bench {

namespace {

// Smooth random values: a lattice of random numbers `cell` pixels apart,
// interpolated with a smooth step in between.
class ValueNoise
{
public:
    ValueNoise(int W, int H, int cell, unsigned seed)
        : m_cell(cell)
        , m_columns(W / cell + 2)
        , m_rows(H / cell + 2)
    {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> unit(-1, 1);
        m_values.resize(size_t(m_columns) * m_rows);
        for (float &v : m_values)
            v = unit(rng);
    }
    float at(int x, int y) const
    {
        const int cx = x / m_cell, cy = y / m_cell;
        const float fx = smooth(float(x % m_cell) / m_cell),
                    fy = smooth(float(y % m_cell) / m_cell);
        const float *r0 = &m_values[size_t(cy) * m_columns + cx];
        const float *r1 = r0 + m_columns;
        const float top = r0[0] + (r0[1] - r0[0]) * fx;
        const float bottom = r1[0] + (r1[1] - r1[0]) * fx;
        return top + (bottom - top) * fy;
    }

private:
    static float smooth(float t) { return t * t * (3 - 2 * t); }
    int m_cell, m_columns, m_rows;
    std::vector<float> m_values;
};

// A photo-like picture: detail on every scale with less contrast the finer
// it is (as in photographs of natural scenes), slowly changing colour casts
// and a few sharp edges; not noise, which no photograph is.
} // namespace

Surface photo(int W, int H, unsigned variant)
{
    const unsigned v = 10 * variant;
    const ValueNoise octaves[] = {{W, H, 600, v + 1},
                                  {W, H, 150, v + 2},
                                  {W, H, 40, v + 3},
                                  {W, H, 11, v + 4},
                                  {W, H, 3, v + 5}};
    const float amplitude[] = {1.0f, 0.55f, 0.32f, 0.2f, 0.14f};
    const ValueNoise warmth(W, H, 900, v + 6), green(W, H, 700, v + 7);
    Surface s(W, H, PixelFormat::Rgb24);
    uint8_t *pixels = s.pixelsForOverwrite();
    for (int y = 0; y < H; ++y) {
        uint8_t *row = pixels + y * s.stride();
        for (int x = 0; x < W; ++x) {
            float light = 0;
            for (int o = 0; o < 5; ++o)
                light += amplitude[o] * octaves[o].at(x, y);
            // A horizon and a bright band give edges across the texture.
            light += y > H * 5 / 8 ? -0.35f : 0.15f;
            light += (x + y / 2) % 1500 < 80 ? 0.5f : 0;
            const float l = 120 + 70 * light;
            const float w = 35 * warmth.at(x, y), g = 25 * green.at(x, y);
            const auto clamp = [](float v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
            row[3 * x + 2] = clamp(l + w);
            row[3 * x + 1] = clamp(l + g);
            row[3 * x] = clamp(l - w - 0.5f * g);
        }
    }
    return s;
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
