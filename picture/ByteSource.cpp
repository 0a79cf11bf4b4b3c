#include "picture/ByteSource.h"

#include <algorithm>
#include <cstring>

namespace masume {

size_t MemorySource::read(std::span<uint8_t> buffer)
{
    const size_t n = std::min(buffer.size(), m_bytes.size() - m_at);
    if (n > 0)
        std::memcpy(buffer.data(), m_bytes.data() + m_at, n);
    m_at += n;
    return n;
}

} // namespace masume
