#include "common/ErrorBox.h"

#include <cstdint>

namespace masume {

namespace {

// The code point of the last UTF-8 character of a non-empty text; a broken
// sequence counts by its last byte.
uint32_t lastCodePoint(std::string_view text)
{
    size_t start = text.size() - 1;
    while (start > 0 && (uint8_t(text[start]) & 0xC0) == 0x80 && text.size() - start < 4)
        --start;
    const auto lead = uint8_t(text[start]);
    const size_t length = text.size() - start;
    const size_t expected = lead < 0x80 ? 1
        : lead >= 0xF0                  ? 4
        : lead >= 0xE0                  ? 3
        : lead >= 0xC0                  ? 2
                                        : 0;
    if (expected != length)
        return uint8_t(text.back());
    uint32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (size_t i = start + 1; i < text.size(); ++i)
        cp = (cp << 6) | (uint8_t(text[i]) & 0x3F);
    return cp;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

std::string applicationTitle(std::string_view programPath)
{
    const size_t slash = programPath.rfind('/');
    std::string_view name
        = slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    std::string title(name);
    for (size_t i = 1; i < title.size(); ++i)
        title[i] = asciiLower(title[i]);
    return title;
}

std::string errorBoxText(std::string_view message)
{
    std::string text(message);
    if (!text.empty() && lastCodePoint(text) > uint32_t('.'))
        text += '.';
    return text;
}

} // namespace masume
