#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

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

    // Whether the bytes can also be read at any offset (a regular file or
    // memory; not a pipe), and then the file's size.
    virtual bool seekable() const { return false; }
    virtual uint64_t size() const { return 0; }
    // Up to buffer.size() bytes from offset on, fewer only at the end; does
    // not move where read() goes on. 0 where the source is not seekable.
    virtual size_t readAt(uint64_t offset, std::span<uint8_t> buffer) { return 0; }
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
    bool seekable() const override { return true; }
    uint64_t size() const override { return m_bytes.size(); }
    size_t readAt(uint64_t offset, std::span<uint8_t> buffer) override;
    // The whole file, and the bytes not yet read.
    std::span<const uint8_t> bytes() const { return m_bytes; }
    std::span<const uint8_t> rest() const { return m_bytes.subspan(m_at); }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_at = 0;
};

// Bytes already read from a source (to tell its format by its first bytes),
// followed by the rest of that source: the file as it was.
class PrefixedSource final : public ByteSource
{
public:
    PrefixedSource(std::vector<uint8_t> prefix, ByteSource &rest)
        : m_prefix(std::move(prefix))
        , m_rest(rest)
    {
    }
    size_t read(std::span<uint8_t> buffer) override;

private:
    std::vector<uint8_t> m_prefix;
    size_t m_at = 0;
    ByteSource &m_rest;
};

// An open file read in pieces: a regular file, seekable; or standard input,
// whatever it is (a pipe, a terminal, a file). The descriptor is closed
// with the source unless it is standard input.
class FileSource final : public ByteSource
{
public:
    // Opens a regular file for reading. Raises "ファイル %s は開けません"
    // when it cannot be opened or is no regular file (a FIFO is refused
    // without blocking).
    explicit FileSource(const std::string &fileName);
    // Standard input.
    FileSource();
    ~FileSource() override;
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    size_t read(std::span<uint8_t> buffer) override;
    bool seekable() const override { return m_seekable; }
    uint64_t size() const override { return m_size; }
    size_t readAt(uint64_t offset, std::span<uint8_t> buffer) override;

private:
    int m_fd = -1;
    bool m_owned = false;
    bool m_seekable = false;
    uint64_t m_size = 0;
};

} // namespace masume
