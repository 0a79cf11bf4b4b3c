#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace masume {

// Pixel storage shared between copies of a surface (copy on write).
//
// Large buffers are recycled: the redraw chain frees and allocates buffers of
// one picture's size on every pass, and taking them back from a small pool
// saves the kernel's page zeroing of fresh memory, which costs as much as the
// pass itself. At most two buffers are held back. Sanitizer builds bypass the
// pool so that every use after release is seen.
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
