#pragma once

// libspng reports every error as a return code and calls into the program
// only through the stream function it is given and the allocation
// functions. No C++ exception may pass through its frames: the stream
// functions here catch whatever the source or sink does wrong, note it and
// return the library's I/O error; the caller then raises the program's
// error outside the library, through PngContext::check. The library's
// allocations go through counting functions, so that a step that failed for
// want of memory says so even where the library reports something else
// (zlib's errors, for one).

#include <spng.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>

namespace masume {

class ByteSink;
class ByteSource;

// One library context, decoder or encoder, freed with this object on every
// path. Raises "メモリが不足しています" when the library cannot make one.
class PngContext
{
public:
    explicit PngContext(int flags);
    ~PngContext();
    PngContext(const PngContext &) = delete;
    PngContext &operator=(const PngContext &) = delete;

    spng_ctx *get() const { return m_context; }

    // Runs one library call (a lambda returning the library's code) and
    // raises the program's error when it fails: what the stream function
    // noted; "メモリが不足しています" when an allocation failed during the
    // call or the library's sizes overflowed; otherwise "PNG エラー #%d"
    // with the library's code, SPNG_EOF where a stream function met the
    // end of the file. Returns the code of a call that did not fail: 0, or
    // SPNG_EOI where `endIsFine`.
    template<typename Call> int check(Call &&call, bool endIsFine = false)
    {
        const uint64_t failures = allocationFailures();
        const int code = call();
        if (code == 0 || (endIsFine && code == SPNG_EOI))
            return code;
        raiseFailure(code, allocationFailures() != failures);
    }

    // Where the stream function notes a failure of the source or sink.
    void noteFailure(std::exception_ptr failure) noexcept { m_failure = failure; }

private:
    // Allocations the library's functions could not serve on this thread.
    static uint64_t allocationFailures() noexcept;
    [[noreturn]] void raiseFailure(int code, bool allocationFailed);

    spng_ctx *m_context = nullptr;
    std::exception_ptr m_failure;
};

// The decoder's input: the library reads exactly the bytes it asks for
// from the source; a source that ends first is the library's end of
// stream, noted in `ended` (the library does not report every one, see
// PngStream), one that raises is noted in the context.
struct PngInput
{
    PngContext *context = nullptr;
    ByteSource *source = nullptr;
    bool ended = false;
};
int readPngInput(spng_ctx *, void *input, void *bytes, size_t length) noexcept;

// The encoder's output, gathered into blocks of the buffer's size before
// they are handed to the sink: the library writes chunks of at most 8 KiB.
// A sink that refuses bytes is noted as the write error, and every later
// write fails.
struct PngOutput
{
    PngContext *context = nullptr;
    ByteSink *sink = nullptr;
    size_t used = 0;
    bool failed = false;
    std::array<uint8_t, 1 << 17> buffer;

    // Hands the gathered bytes to the sink; false when it refused them.
    bool flush() noexcept;
};
int writePngOutput(spng_ctx *, void *output, void *bytes, size_t length) noexcept;

} // namespace masume
