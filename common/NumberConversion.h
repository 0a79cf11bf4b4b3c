#pragma once

#include <cstdint>
#include <string_view>

namespace masume {

// The standard signed 32-bit conversion of a number box's text. Leading
// blanks are skipped; then either an optional "+" or "-" with decimal digits
// (the value within -2^31 .. 2^31-1), or one of the prefixes "$", "x", "X",
// "0x", "0X" with hexadecimal digits taken as a 32-bit pattern
// ("$FFFFFFFF" is -1). Nothing may follow. Any other text, the empty one
// included, raises "'%s' は整数ではありません" with the text.
int32_t strToInt(std::string_view text);

// Decimal digits with a minus sign when negative, as numbers are written
// back into boxes.
std::string intToStr(int64_t value);

} // namespace masume
