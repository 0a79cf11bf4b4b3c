#pragma once

#include <functional>

namespace masume::batch {

// The languages of masume-batch's own texts (its help, its usage errors and
// the messages of its run). The messages of opening and saving pictures are
// the program's own and always Japanese.
enum class Language { English, Japanese };

// Reads one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char *(const char *name)>;

// The language that gettext would choose for messages: the locale of
// messages is the first set and non-empty of LC_ALL, LC_MESSAGES and LANG;
// when it is C or POSIX (or missing) the texts are English whatever else is
// set; otherwise LANGUAGE, a list such as "ja:en", picks the first of its
// entries that is Japanese or English; failing that the locale itself
// decides. Japanese for a language "ja" in any form ("ja", "ja_JP",
// "ja_JP.UTF-8", "ja_JP.utf8@x"), English for any other. Unlike gettext it
// does not need the locale to be installed; the texts are UTF-8, as the
// program's own messages are.
Language chooseLanguage(const EnvironmentLookup &lookup);

} // namespace masume::batch
