#pragma once

#include "raster/LineSink.h"

#include <cstdint>

namespace masume {

// Grid kind codes; a kind's code is also the index of its picture among the
// grid window's button pictures.
namespace GridKinds {
inline constexpr int32_t Nothing = 0;
inline constexpr int32_t Square = 2;
inline constexpr int32_t Diamond = 3;
inline constexpr int32_t StaggeredRows = 4;    // SHexH
inline constexpr int32_t StaggeredColumns = 5; // SHexV
inline constexpr int32_t HexRows = 6;          // HexH
inline constexpr int32_t HexColumns = 7;       // HexV
} // namespace GridKinds

// What a grid routine draws on: the pen of the mask (or a recorder), the
// mask's width W and height H, and the settings SizeH and SizeV, which some
// routines read for half-cell shifts and spans.
struct GridTarget
{
    LineSink &pen;
    int64_t W;
    int64_t H;
    int32_t SizeH;
    int32_t SizeV;
};

} // namespace masume
