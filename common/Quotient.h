#pragma once

#include <cstdint>

namespace masume {

// Extended-precision division (long double, a 64-bit mantissa on x86-64)
// with the zero divisor detected here rather than by a floating-point trap:
// x / 0 raises "0 による浮動小数点数除算" and 0 / 0 raises
// "不正な浮動小数点数演算命令".
long double quotient(long double x, long double y);

// Truncation toward zero. The argument must be finite; values are computed
// from 32-bit sizes, so they always fit 64 bits.
inline int64_t trunc(long double x)
{
    return static_cast<int64_t>(x);
}

} // namespace masume
