#include "common/Error.h"

namespace masume {

std::string formatMessage(std::string_view pattern, std::initializer_list<MessageArg> args)
{
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            const char f = pattern[i + 1];
            if (f == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((f == 's' || f == 'd') && next != args.end()) {
                out += next->text();
                ++next;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

void raise(std::string_view pattern, std::initializer_list<MessageArg> args)
{
    throw Error(formatMessage(pattern, args));
}

} // namespace masume
