#pragma once

#include "Grid/GridRoutines.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace masume {

// Grid kind codes; a kind's code is also the index of its picture among the
// grid window's button pictures, and of its action's picture.
namespace GridKinds {
inline constexpr int32_t Nothing = 0;
inline constexpr int32_t Square = 2;
inline constexpr int32_t Diamond = 3;
inline constexpr int32_t StaggeredRows = 4; // SHexH
inline constexpr int32_t StaggeredColumns = 5; // SHexV
inline constexpr int32_t HexRows = 6; // HexH
inline constexpr int32_t HexColumns = 7; // HexV
} // namespace GridKinds

// Everything the program says about one grid kind, in one row: the drawing
// core, the grid window, its pictures and masume-batch all read this table.
struct GridKindRow
{
    int32_t code;
    // The window's action "Grid_<name>" and its button "Btn_<name>".
    const char *name;
    // The button's place in the panel GridButtons: left and top in pixels.
    int left, top;
    // The routine that draws the kind's lines on the mask; null draws
    // nothing.
    GridRoutine routine;
    // The button's picture: resources/grid/<picture>.png.
    const char *picture;
    // The kind's name for masume-batch --kind.
    const char *batchName;
};

// The seven kinds the grid window offers, by code. Codes missing here (1,
// negative, above 7) draw nothing, as kind 0 does.
inline constexpr std::array<GridKindRow, 7> GridKindTable = {{
    {GridKinds::Nothing, "Nothing", 0, 0, nullptr, "plain", "none"},
    {GridKinds::Square, "Square", 24, 0, &DrawSquare, "square", "square"},
    {GridKinds::Diamond, "Diamond", 24, 24, &DrawDiamond, "diamond", "diamond"},
    {GridKinds::StaggeredRows, "SHexH", 48, 0, &DrawSHexH, "bricks-rows", "rows"},
    {GridKinds::StaggeredColumns, "SHexV", 48, 24, &DrawSHexV, "bricks-columns", "columns"},
    {GridKinds::HexRows, "HexH", 72, 0, &DrawHexH, "hex-rows", "hex-rows"},
    {GridKinds::HexColumns, "HexV", 72, 24, &DrawHexV, "hex-columns", "hex-columns"},
}};

// The row of a kind code; null for codes that are no kind of the table.
constexpr const GridKindRow *gridKind(int32_t code)
{
    for (const GridKindRow &row : GridKindTable)
        if (row.code == code)
            return &row;
    return nullptr;
}

// The routine that draws a kind; null for the kinds that draw nothing and
// every code that is no kind.
constexpr GridRoutine routineFor(int32_t code)
{
    const GridKindRow *row = gridKind(code);
    return row ? row->routine : nullptr;
}

} // namespace masume
