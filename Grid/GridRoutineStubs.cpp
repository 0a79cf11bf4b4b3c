// Placeholder bodies until the grid kinds are drawn; they draw nothing.
#include "Grid/GridCore.h"

namespace masume {

void GridCore::DrawSquare(int32_t, int32_t) { }
void GridCore::DrawDiamond(int32_t, int32_t) { }
void GridCore::DrawSHexH(int32_t, int32_t) { }
void GridCore::DrawSHexV(int32_t, int32_t) { }
void GridCore::DrawHexH(int32_t, int32_t) { }
void GridCore::DrawHexV(int32_t, int32_t) { }

} // namespace masume
