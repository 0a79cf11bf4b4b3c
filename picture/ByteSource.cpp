#include "picture/ByteSource.h"

#include "common/Error.h"
#include "common/Messages.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace masume {

size_t MemorySource::read(std::span<uint8_t> buffer)
{
    const size_t n = readAt(m_at, buffer);
    m_at += n;
    return n;
}

size_t MemorySource::readAt(uint64_t offset, std::span<uint8_t> buffer)
{
    if (offset >= m_bytes.size())
        return 0;
    const size_t n = std::min<uint64_t>(buffer.size(), m_bytes.size() - offset);
    if (n > 0)
        std::memcpy(buffer.data(), m_bytes.data() + offset, n);
    return n;
}

size_t PrefixedSource::read(std::span<uint8_t> buffer)
{
    const size_t n = std::min(buffer.size(), m_prefix.size() - m_at);
    if (n > 0)
        std::memcpy(buffer.data(), m_prefix.data() + m_at, n);
    m_at += n;
    return n + (n < buffer.size() ? m_rest.read(buffer.subspan(n)) : 0);
}

FileSource::FileSource(const std::string &fileName)
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below
    // with every other file that is not regular.
    : m_fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK))
    , m_owned(true)
{
    if (m_fd < 0)
        raise(msg::CannotOpen, {fileName});
    struct stat st;
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        raise(msg::CannotOpen, {fileName});
    }
    m_seekable = true;
    m_size = uint64_t(st.st_size);
}

FileSource::FileSource()
    : m_fd(STDIN_FILENO)
{
    struct stat st;
    if (::fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode) && ::lseek(m_fd, 0, SEEK_CUR) == 0) {
        m_seekable = true;
        m_size = uint64_t(st.st_size);
    }
}

FileSource::~FileSource()
{
    if (m_owned)
        ::close(m_fd);
}

namespace {

// The first read that transfers anything, retried after a signal; 0 at the
// end. Raises "ストリームからの読み込みエラー".
template<class Read> size_t retried(Read read)
{
    for (;;) {
        const ssize_t got = read();
        if (got >= 0)
            return size_t(got);
        if (errno != EINTR)
            raise(msg::ReadError);
    }
}

} // namespace

size_t FileSource::read(std::span<uint8_t> buffer)
{
    size_t done = 0;
    // A pipe hands out what it has; a piece is filled unless the file ends.
    while (done < buffer.size()) {
        const size_t got
            = retried([&] { return ::read(m_fd, buffer.data() + done, buffer.size() - done); });
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

size_t FileSource::readAt(uint64_t offset, std::span<uint8_t> buffer)
{
    if (!m_seekable)
        return 0;
    size_t done = 0;
    while (done < buffer.size()) {
        const size_t got = retried([&] {
            return ::pread(m_fd, buffer.data() + done, buffer.size() - done, off_t(offset + done));
        });
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace masume
