#pragma once

#include "common/Error.h"
#include "common/Messages.h"

#include <string>

namespace masume {

// Whether m is one of the messages with which the picture readers refuse a
// file (a damaged one, or one too large for the memory): anything else
// that reading raises is a fault. For the fuzz targets and the replay of
// their findings.
inline bool isReaderMessage(const std::string &m)
{
    const std::string fixed[] = {
        msg::BitmapInvalid,
        msg::ReadError,
        msg::IconInvalid,
        msg::MetafileInvalid,
        msg::OutOfMemory,
        formatMessage(msg::CannotAssign, {"TIcon", "TBitmap"}),
        formatMessage(msg::CannotAssign, {"TMetafile", "TBitmap"}),
    };
    for (const std::string &f : fixed)
        if (m == f)
            return true;
    const std::string jpeg = "JPEG エラー #";
    return m.size() > jpeg.size() && m.compare(0, jpeg.size(), jpeg) == 0
        && m.find_first_not_of("0123456789", jpeg.size()) == std::string::npos;
}

} // namespace masume
