#pragma once

#include <cstdint>
#include <span>

namespace masume {

// Whether the payload of an APP1 segment (the bytes after its length
// field) is an Exif block: it starts with "Exif" and two zero bytes.
bool isExifBlock(std::span<const uint8_t> app1);

// The orientation that an Exif block gives its picture (tag 0x0112 of the
// first image file directory, a SHORT of count 1, in the block's byte
// order, "II" or "MM"): 1 to 8 as the Exif standard numbers them (see
// picture/Orientation.h). 1 for anything else: no Exif block, a block cut
// short, offsets outside it, no such tag, another type, count or value.
//
// Never raises and never reads outside the span; the work is bounded by
// the entries of that one directory that lie inside the span (a segment
// holds at most 65533 bytes, so at most 5461 entries), as no other
// directory is followed.
int exifOrientation(std::span<const uint8_t> app1);

} // namespace masume
