#include "picture/ReaderMessages.h"

#include "common/Error.h"
#include "common/Messages.h"

#include <cstring>
#include <string_view>

namespace masume {

bool isReaderMessage(const std::string &m)
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
    // "JPEG エラー #" with libjpeg's message number, "PNG エラー #" with
    // libspng's error code: the pattern up to its closing "%d", then digits.
    for (const char *pattern : {msg::JpegError, msg::PngError}) {
        const std::string_view prefix(pattern, std::strlen(pattern) - 2);
        if (m.size() > prefix.size() && m.compare(0, prefix.size(), prefix) == 0
            && m.find_first_not_of("0123456789", prefix.size()) == std::string::npos)
            return true;
    }
    return false;
}

} // namespace masume
