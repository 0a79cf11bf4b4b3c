#pragma once

#include <cstdint>
#include <string>

namespace masume::batch {

// A picture file's size as its header states it: the BMP headers' width and
// height, a JPEG file's frame header found by walking its markers, or a PNG
// file's header; all 0 when the file cannot be read or its start is none of
// them.
//
// Only an estimate for scheduling parallel jobs, never used to allocate:
// the job reads and checks the file for real, and reports what is wrong
// with it.
struct PictureProbe
{
    uint64_t width = 0;
    uint64_t height = 0;
    // Whether its reader holds the picture, or data of its size, whole:
    // a BMP file, a JPEG file of several scans (progressive), an
    // interlaced PNG file.
    bool heldWhole = false;

    uint64_t pixels() const { return width * height; }
};
PictureProbe probePicture(const std::string &fileName);

// The bytes a job passing the picture on as rows on that many threads is
// expected to hold: its bands, and what its reader holds whole.
uint64_t expectedJobBytes(const PictureProbe &probe, int threads);

} // namespace masume::batch
