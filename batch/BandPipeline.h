#pragma once

#include "picture/PictureEncoder.h"
#include "picture/PictureStream.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace masume::batch {

// A picture passed from a stream to an encoder a band of rows at a time,
// top to bottom, with the work of each band (the grid) done on the way: it
// holds a few bands, never the picture.
//
// On one thread each band is read, worked on and encoded in turn. On two,
// a thread of its own reads the stream ahead into a ring of bands while the
// calling thread works on and encodes the bands before; the result is the
// same. The first error of either side (the stream's, the work's, the
// encoder's) is raised on the calling thread once the other side stopped.
struct BandPass
{
    PictureStream *in = nullptr;
    PictureEncoder *out = nullptr;
    // Called for each band in turn on the calling thread before the band is
    // encoded: rows top .. top + count - 1, `stride` bytes apart; may change
    // them. May be empty.
    std::function<void(uint8_t *rows, ptrdiff_t stride, int top, int count)> work;
    int threads = 1; // 1 or 2
};

void passBands(const BandPass &pass);

// The rows of a band for a picture of this width: a multiple of 16 (a
// JPEG's group of rows) of about BandBytes, at least 16 rows.
int bandRows(int width);
inline constexpr size_t BandBytes = size_t(256) << 10;
// The bands of the ring on two threads.
inline constexpr int RingBands = 4;

// What passBands holds for a picture of this width on that many threads, in
// bytes: the ring (or the one band) with the work's mask rows.
uint64_t bandPassBytes(int width, int threads);

} // namespace masume::batch
