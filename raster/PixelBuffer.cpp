#include "raster/PixelBuffer.h"

#include "raster/MemoryBudget.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <unistd.h>
#include <vector>

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

constexpr size_t PoolMinimum = 1 << 20;
constexpr size_t PoolSlots = 2;

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

size_t roundUp(size_t bytes)
{
    return (bytes + 63) & ~size_t(63);
}

void release(uint8_t *data, size_t bytes)
{
    if (MASUME_POOL && bytes >= PoolMinimum) {
        Pool &p = pool();
        std::lock_guard lock(p.mutex);
        if (p.free.size() == PoolSlots) {
            std::free(p.free.front().data);
            p.free.erase(p.free.begin());
        }
        p.free.push_back({data, bytes});
        return;
    }
    std::free(data);
}

uint8_t *takeFromPool(size_t bytes)
{
    if (!MASUME_POOL || bytes < PoolMinimum)
        return nullptr;
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

} // namespace

size_t PixelBuffer::limit()
{
    return size_t(memoryLimit());
}

PixelBuffer::Ptr PixelBuffer::allocate(size_t bytes)
{
    if (bytes > limit())
        throw std::bad_alloc();
    const size_t rounded = roundUp(bytes == 0 ? 1 : bytes);
    uint8_t *data = takeFromPool(rounded);
    if (!data) {
        data = static_cast<uint8_t *>(std::aligned_alloc(64, rounded));
        if (!data) {
            releasePool();
            data = static_cast<uint8_t *>(std::aligned_alloc(64, rounded));
            if (!data)
                throw std::bad_alloc();
        }
    }
    return Ptr(data, [rounded](uint8_t *p) { release(p, rounded); });
}

void PixelBuffer::releasePool()
{
    Pool &p = pool();
    std::lock_guard lock(p.mutex);
    for (const Block &b : p.free)
        std::free(b.data);
    p.free.clear();
}

} // namespace masume
