#pragma once

#include "raster/Surface.h"

#include <cstdint>
#include <string>
#include <vector>

namespace masume::bench {

// Smooth random values along a row: a lattice of values `cell` pixels
// apart, each a hash of its cell's column and row and the seed (no table of
// them), interpolated with a smooth step in between. Holds two lattice rows
// (about 2 W / cell floats), so that any picture size costs the same memory.
class NoiseRows
{
public:
    NoiseRows(int W, int cell, uint32_t seed);
    // Adds amplitude times the noise of row y to out[0 .. W - 1]. Cheapest
    // for rows in order (a lattice row is hashed once per cell of rows).
    void addRow(int y, float amplitude, float *out);

private:
    void hashRow(int cy, std::vector<float> &values) const;

    int m_W, m_cell;
    uint32_t m_seed;
    std::vector<float> m_step; // the smooth step at x % cell
    std::vector<float> m_top, m_bottom, m_blend; // lattice rows cy, cy + 1, and between
    int m_cy = -2;
};

// A photo-like 24-bit picture of W x H, made a row at a time: detail on
// every scale with less contrast the finer it is, slow colour casts and a
// few sharp edges, so that JPEG coding costs what it costs on photographs
// (noise would cost more, flat colour less). The same pixels for the same
// size and variant on every run and from any build of the same code;
// variants differ in every detail but cost the same to code. Holds a few
// rows of W floats, never the picture.
class PhotoRows
{
public:
    PhotoRows(int W, int H, unsigned variant = 0);
    int width() const { return m_W; }
    int height() const { return m_H; }
    // Row y (0 .. H - 1) into out as blue, green, red: 3 W bytes. Rows in
    // order cost least.
    void row(int y, uint8_t *out);

private:
    int m_W, m_H;
    std::vector<NoiseRows> m_octaves;
    NoiseRows m_warmth, m_green;
    std::vector<float> m_light, m_warm, m_greenish;
};

// The photo whole, as a 24-bit surface: for benchmarks of what takes a
// surface (the writers); the others write it as a file (writePhoto).
Surface photo(int W, int H, unsigned variant = 0);

// Writes the photo of W x H and that variant as a JPEG of quality 90 (the
// program's writer), or a 24-bit BMP when the file's name does not end in
// .jpg or .jpeg, row by row: memory stays a few rows whatever the size.
// Raises the writers' errors.
void writePhoto(int W, int H, unsigned variant, const std::string &file);

// A 24-bit picture of W x H of seeded random bytes: no run of equal pixels
// for the surfaces to take a short cut on.
Surface noisePicture(int W, int H);

} // namespace masume::bench
