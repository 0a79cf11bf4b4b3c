#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace masume {

// The bytes of a picture file, read once from its start to its end in
// pieces of the reader's choosing: a file in memory, an open file, a pipe.
//
// read() raises "ストリームからの読み込みエラー" when the system refuses the
// read; a reader inside a C library's frames catches that in its own
// callback and raises it again outside them.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Up to buffer.size() next bytes into buffer; fewer only at the end of
    // the file, 0 there.
    virtual size_t read(std::span<uint8_t> buffer) = 0;
};

// A file already in memory. The bytes must outlive the source.
class MemorySource final : public ByteSource
{
public:
    explicit MemorySource(std::span<const uint8_t> bytes)
        : m_bytes(bytes)
    {
    }
    size_t read(std::span<uint8_t> buffer) override;
    // The bytes not yet read.
    std::span<const uint8_t> rest() const { return m_bytes.subspan(m_at); }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_at = 0;
};

} // namespace masume
