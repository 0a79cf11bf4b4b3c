#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace masume {

// Pixel storage shared between copies of a surface (copy on write).
//
// Buffers of 2 MB and more are aligned to 2 MB and advised to use
// transparent huge pages, so that their first touch costs a page fault per
// 2 MB instead of per 4 KB; those above 128 MB get small pages, all made
// present in one call (see PixelBuffer.cpp for why). They are also
// recycled: the redraw chain and a batch of pictures free and allocate
// buffers of one picture's size again and again, and taking them back from
// a small pool (at most four idle buffers) saves the kernel's clearing of
// fresh memory. Sanitizer builds take every buffer from the C allocator
// instead, so that every use after release is seen.
class PixelBuffer
{
public:
    using Ptr = std::shared_ptr<uint8_t>;

    // A buffer of at least `bytes` bytes, 64-byte aligned, content undefined.
    // Throws std::bad_alloc when the request is larger than the memory the
    // process may ever have (see memoryLimit()), so that a huge size never
    // reaches the allocator.
    static Ptr allocate(size_t bytes);

    // The largest single buffer allocate() accepts: memoryLimit().
    static size_t limit();

    // Drops the buffers held back for reuse.
    static void releasePool();
};

} // namespace masume
