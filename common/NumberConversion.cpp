#include "common/NumberConversion.h"

#include "common/Error.h"
#include "common/Messages.h"

#include <optional>
#include <string>

namespace masume {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<int32_t> parseHex(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + uint64_t(d);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return int32_t(uint32_t(value));
}

std::optional<int32_t> parseDecimal(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    const uint64_t limit = negative ? 2147483648u : 2147483647u;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + uint64_t(c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return negative ? int32_t(-int64_t(value)) : int32_t(value);
}

std::optional<int32_t> parse(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.starts_with("0x") || text.starts_with("0X"))
        return parseHex(text.substr(2));
    if (text.starts_with("$") || text.starts_with("x") || text.starts_with("X"))
        return parseHex(text.substr(1));
    return parseDecimal(text);
}

} // namespace

int32_t strToInt(std::string_view text)
{
    if (const auto value = parse(text))
        return *value;
    raise(msg::NotAnInteger, {text});
}

std::string intToStr(int64_t value)
{
    return std::to_string(value);
}

} // namespace masume
