#include "picture/PngFence.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "picture/ByteSink.h"
#include "picture/ByteSource.h"

#include <cstdlib>
#include <cstring>
#include <span>

namespace masume {

namespace {

// The library runs in the calling thread, so a count per thread tells a
// call whether one of its own allocations failed.
thread_local uint64_t failedAllocations = 0;

void *counted(void *block, size_t bytes)
{
    if (!block && bytes != 0)
        ++failedAllocations;
    return block;
}

void *pngMalloc(size_t bytes)
{
    return counted(std::malloc(bytes), bytes);
}

void *pngRealloc(void *block, size_t bytes)
{
    return counted(std::realloc(block, bytes), bytes);
}

void *pngCalloc(size_t count, size_t size)
{
    return counted(std::calloc(count, size), count * size);
}

void pngFree(void *block)
{
    std::free(block);
}

// The library's code for a file that ends before the library is done; its
// stream functions say so as SPNG_IO_EOF (-1), a code that does not
// otherwise name the file's fault.
int fileCode(int code)
{
    return code == SPNG_IO_EOF ? SPNG_EOF : code;
}

// The write error as an exception to raise again outside the library.
std::exception_ptr writeError() noexcept
{
    try {
        raise(msg::WriteError);
    } catch (...) {
        return std::current_exception();
    }
}

} // namespace

PngContext::PngContext(int flags)
{
    spng_alloc alloc {pngMalloc, pngRealloc, pngCalloc, pngFree};
    m_context = spng_ctx_new2(&alloc, flags);
    if (!m_context)
        raise(msg::OutOfMemory);
}

PngContext::~PngContext()
{
    spng_ctx_free(m_context);
}

uint64_t PngContext::allocationFailures() noexcept
{
    return failedAllocations;
}

void PngContext::raiseFailure(int code, bool allocationFailed)
{
    if (m_failure)
        std::rethrow_exception(m_failure);
    // The library's arithmetic overflows only on sizes beyond any memory:
    // a row of more than 4 GiB, an image of more than SIZE_MAX bytes.
    if (allocationFailed || code == SPNG_EMEM || code == SPNG_EOVERFLOW)
        raise(msg::OutOfMemory);
    raise(msg::PngError, {fileCode(code)});
}

int readPngInput(spng_ctx *, void *user, void *bytes, size_t length) noexcept
{
    auto &input = *static_cast<PngInput *>(user);
    try {
        auto *out = static_cast<uint8_t *>(bytes);
        size_t done = 0;
        while (done < length) {
            const size_t got = input.source->read(std::span<uint8_t>(out + done, length - done));
            if (got == 0) {
                input.ended = true;
                return SPNG_IO_EOF;
            }
            done += got;
        }
        return 0;
    } catch (...) {
        input.context->noteFailure(std::current_exception());
        return SPNG_IO_ERROR;
    }
}

bool PngOutput::flush() noexcept
{
    if (failed)
        return false;
    if (used > 0 && !sink->tryWrite(buffer.data(), used)) {
        failed = true;
        context->noteFailure(writeError());
        return false;
    }
    used = 0;
    return true;
}

int writePngOutput(spng_ctx *, void *user, void *bytes, size_t length) noexcept
{
    auto &output = *static_cast<PngOutput *>(user);
    const auto *in = static_cast<const uint8_t *>(bytes);
    while (length > 0) {
        if (output.used == output.buffer.size() && !output.flush())
            return SPNG_IO_ERROR;
        const size_t n = std::min(length, output.buffer.size() - output.used);
        std::memcpy(output.buffer.data() + output.used, in, n);
        output.used += n;
        in += n;
        length -= n;
    }
    return output.failed ? SPNG_IO_ERROR : 0;
}

} // namespace masume
