#pragma once

#include "picture/ByteSink.h"

namespace masume::batch {

// Standard output as the sink of one picture: the bytes go out as they
// come, nothing else is written there. Not seekable, even where standard
// output is a file (it may have been opened for appending). A closed pipe
// (EPIPE, with SIGPIPE ignored) or a full disk makes tryWrite fail.
class StandardOutput final : public ByteSink
{
public:
    bool tryWrite(const void *data, size_t bytes) noexcept override;
};

} // namespace masume::batch
