#pragma once

#include "raster/Surface.h"

#include <QImage>

namespace masume::ui {

// A QImage over the pixels of a surface, without copying them: a 24-bit
// surface's rows are already QImage::Format_BGR888 rows. The image holds a
// share of the storage, so drawing on the surface afterwards makes the
// surface copy its pixels first and the image never changes. A 1-bit surface
// is converted. An empty surface gives a null image. Costs one pass over the
// picture when the surface has a recorded blit or no pixels yet.
QImage surfaceImage(const Surface &surface);

} // namespace masume::ui
