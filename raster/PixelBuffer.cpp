#include "raster/PixelBuffer.h"

#include "raster/MemoryBudget.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14; older kernels refuse it
#endif

#if defined(__SANITIZE_ADDRESS__)
#define MASUME_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MASUME_POOL 0
#endif
#endif
#ifndef MASUME_POOL
#define MASUME_POOL 1
#endif

namespace masume {

namespace {

// Blocks of at least this size are aligned to the huge page size and
// advised to use huge pages: the first touch of a 72 MB picture then costs
// 36 page faults instead of 18,000, and the kernel clears each 2 MB page in
// one go.
constexpr size_t HugePage = size_t(2) << 20;
constexpr size_t PoolMinimum = HugePage;
// Blocks above this size get small pages instead, all made present in one
// call. The kernel finds that many huge pages only among the largest free
// blocks, which a host that takes back memory its guest leaves free (free
// page reporting, as on Firecracker) has usually taken: touching them again
// cost 0.3 to 1 s for the 288 MB of a 96 MP picture, against 0.1 s for
// small pages, which come from memory in recent use. Measured paired with
// djpeg | cjpeg: 1.2 to 1.8 times its CPU with huge pages, 0.8 to 0.9 with
// small pages made present at once.
constexpr size_t HugeAdviceLimit = size_t(128) << 20;
// Idle blocks kept for reuse: the largest surfaces of two pictures in
// flight (picture and mask each), so that --jobs 2 in masume-batch and the
// desktop chain's passes take their storage back without new faults.
constexpr size_t PoolSlots = 4;

struct Block
{
    uint8_t *data;
    size_t bytes;
};

struct Pool
{
    std::mutex mutex;
    std::vector<Block> free;
    ~Pool()
    {
        for (const Block &b : free)
            std::free(b.data);
    }
};

Pool &pool()
{
    static Pool p;
    return p;
}

size_t roundUp(size_t bytes, size_t unit)
{
    return (bytes + unit - 1) & ~(unit - 1);
}

// A fresh block of `bytes` (a multiple of HugePage) aligned to HugePage,
// or null. It comes from the C allocator (which maps blocks this large on
// their own), so that whatever watches or replaces the allocator sees it.
// Where the advice fails (no transparent huge pages, an older kernel), the
// block simply has its pages made present on first touch.
uint8_t *freshBlock(size_t bytes)
{
    auto *data = static_cast<uint8_t *>(std::aligned_alloc(HugePage, bytes));
    if (!data)
        return nullptr;
    if (bytes <= HugeAdviceLimit)
        ::madvise(data, bytes, MADV_HUGEPAGE);
    else
        ::madvise(data, bytes, MADV_POPULATE_WRITE);
    return data;
}

// Gives a large block back to the pool (and the oldest idle one back to
// the system when the pool is full).
void release(uint8_t *data, size_t bytes)
{
    Block evicted {nullptr, 0};
    {
        Pool &p = pool();
        std::lock_guard lock(p.mutex);
        if (p.free.size() == PoolSlots) {
            evicted = p.free.front();
            p.free.erase(p.free.begin());
        }
        p.free.push_back({data, bytes});
    }
    std::free(evicted.data);
}

uint8_t *takeFromPool(size_t bytes)
{
    Pool &p = pool();
    std::lock_guard lock(p.mutex);
    for (auto it = p.free.begin(); it != p.free.end(); ++it) {
        if (it->bytes == bytes) {
            uint8_t *data = it->data;
            p.free.erase(it);
            return data;
        }
    }
    return nullptr;
}

// A large block: from the pool, or fresh; null when there is none even
// after the pool was given back.
uint8_t *largeBlock(size_t bytes)
{
    if (uint8_t *data = takeFromPool(bytes))
        return data;
    if (uint8_t *data = freshBlock(bytes))
        return data;
    PixelBuffer::releasePool();
    return freshBlock(bytes);
}

uint8_t *smallBlock(size_t bytes)
{
    auto *data = static_cast<uint8_t *>(std::aligned_alloc(64, bytes));
    if (!data) {
        PixelBuffer::releasePool();
        data = static_cast<uint8_t *>(std::aligned_alloc(64, bytes));
    }
    return data;
}

} // namespace

size_t PixelBuffer::limit()
{
    return size_t(memoryLimit());
}

PixelBuffer::Ptr PixelBuffer::allocate(size_t bytes)
{
    if (bytes > limit())
        throw std::bad_alloc();
    const bool large = MASUME_POOL && bytes >= PoolMinimum;
    const size_t rounded = roundUp(bytes == 0 ? 1 : bytes, large ? HugePage : 64);
    uint8_t *data = large ? largeBlock(rounded) : smallBlock(rounded);
    if (!data)
        throw std::bad_alloc();
    if (!large)
        return Ptr(data, [](uint8_t *p) { std::free(p); });
    return Ptr(data, [rounded](uint8_t *p) { release(p, rounded); });
}

void PixelBuffer::releasePool()
{
    std::vector<Block> blocks;
    {
        Pool &p = pool();
        std::lock_guard lock(p.mutex);
        blocks.swap(p.free);
    }
    for (const Block &b : blocks)
        std::free(b.data);
}

} // namespace masume
