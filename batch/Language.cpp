#include "batch/Language.h"

#include <optional>
#include <string_view>

namespace masume::batch {

namespace {

// The language part of a locale name: up to its first "_", "." or "@".
std::string_view languagePart(std::string_view locale)
{
    return locale.substr(0, locale.find_first_of("_.@"));
}

std::optional<Language> known(std::string_view locale)
{
    const std::string_view language = languagePart(locale);
    if (language == "ja")
        return Language::Japanese;
    if (language == "en")
        return Language::English;
    return std::nullopt;
}

bool isPlainC(std::string_view locale)
{
    return locale.empty() || locale == "POSIX" || languagePart(locale) == "C";
}

} // namespace

Language chooseLanguage(const EnvironmentLookup &lookup)
{
    std::string_view locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = lookup(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    if (isPlainC(locale))
        return Language::English;
    if (const char *list = lookup("LANGUAGE")) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            if (const auto language = known(rest.substr(0, colon)))
                return *language;
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    return known(locale).value_or(Language::English);
}

} // namespace masume::batch
