#include "picture/ReaderMessages.h"

#include "common/Error.h"
#include "common/Messages.h"

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
    // "JPEG エラー #" and libjpeg's message number.
    const std::string jpeg = "JPEG エラー #";
    return m.size() > jpeg.size() && m.compare(0, jpeg.size(), jpeg) == 0
        && m.find_first_not_of("0123456789", jpeg.size()) == std::string::npos;
}

} // namespace masume
