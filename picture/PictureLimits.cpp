#include "common/Error.h"
#include "common/Messages.h"
#include "picture/PictureData.h"
#include "raster/MemoryBudget.h"

#include <atomic>

namespace masume {

namespace {

// The bytes the program holds per pixel of an opened picture (see
// picturePixelLimit in PictureFile.h).
constexpr uint64_t BytesPerPicturePixel = 16;

std::atomic<uint64_t> chosenLimit {0};
std::atomic<bool> eightBitOutput {false};
std::atomic<bool> autoOrient {true};

} // namespace

uint64_t picturePixelLimit()
{
    const uint64_t chosen = chosenLimit.load(std::memory_order_relaxed);
    return chosen ? chosen : memoryHeadroom() / BytesPerPicturePixel;
}

void setPicturePixelLimit(uint64_t pixels)
{
    chosenLimit.store(pixels, std::memory_order_relaxed);
}

void checkPictureSize(int64_t width, int64_t height)
{
    // Both are below 2^31, so the product cannot overflow.
    if (uint64_t(width) * uint64_t(height) > picturePixelLimit())
        raise(msg::OutOfMemory);
}

void checkHeldBytes(uint64_t bytes)
{
    const uint64_t limit = picturePixelLimit();
    if (limit < UINT64_MAX / BytesPerPicturePixel && bytes > limit * BytesPerPicturePixel)
        raise(msg::OutOfMemory);
}

void setJpegEightBitOutput(bool eightBits)
{
    eightBitOutput.store(eightBits, std::memory_order_relaxed);
}

bool jpegEightBitOutput()
{
    return eightBitOutput.load(std::memory_order_relaxed);
}

void setJpegAutoOrient(bool upright)
{
    autoOrient.store(upright, std::memory_order_relaxed);
}

bool jpegAutoOrient()
{
    return autoOrient.load(std::memory_order_relaxed);
}

} // namespace masume
