#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace masume::batch {

// The columns a UTF-8 text takes on a terminal: 2 for each wide character
// (kana, kanji, hangul, full-width forms and CJK punctuation), 1 for every
// other one. A byte that begins no valid character counts as one column.
size_t displayWidth(std::string_view text);

// The text broken into lines of at most `width` columns. A line breaks at a
// blank, which is dropped, or between two wide characters, except before
// closing punctuation, a small kana or the long-vowel mark, and after
// opening punctuation, as Japanese is set. A piece that cannot be broken
// and is wider than `width` stands alone on its line. Cost: linear in the
// text's length.
std::vector<std::string> wrapLines(std::string_view text, size_t width);

} // namespace masume::batch
