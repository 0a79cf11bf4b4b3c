#pragma once

#include <cstdint>

namespace masume {

// A 24-bit colour, stored as red + green * 256 + blue * 65536 (red is
// 0x0000FF).
using Colour = uint32_t;

inline constexpr Colour Black = 0x000000;
inline constexpr Colour White = 0xFFFFFF;

constexpr Colour rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16;
}
constexpr uint8_t redOf(Colour c)
{
    return uint8_t(c);
}
constexpr uint8_t greenOf(Colour c)
{
    return uint8_t(c >> 8);
}
constexpr uint8_t blueOf(Colour c)
{
    return uint8_t(c >> 16);
}

// On a 1-bit surface a colour is drawn as the nearer of black and white.
constexpr bool isLight(Colour c)
{
    return unsigned(redOf(c)) + greenOf(c) + blueOf(c) >= 383;
}

} // namespace masume
