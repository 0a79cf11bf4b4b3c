#pragma once

#include <QList>
#include <QPixmap>

namespace masume::ui {

// The grid window's ten 16 x 16 pictures, indexed as the grid kinds: 0 plain
// white, 1 ring and spokes, 2 square, 3 diamond, 4 bricks in rows, 5 bricks
// in columns, 6 hexagons in rows, 7 hexagons in columns, 8 triangles, 9
// triangles turned a quarter. In each, every pixel of the bottom-left
// pixel's colour (the border) is transparent.
QList<QPixmap> gridPictures();

} // namespace masume::ui
