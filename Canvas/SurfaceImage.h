#pragma once

#include "raster/Surface.h"

#include <QImage>
#include <QRect>

namespace masume::ui {

// A QImage over the pixels of a surface, without copying them: a 24-bit
// surface's rows are already QImage::Format_BGR888 rows. The image holds a
// share of the storage, so drawing on the surface afterwards makes the
// surface copy its pixels first and the image never changes. A 1-bit surface
// is converted. An empty surface gives a null image. Costs one pass over the
// picture when the surface has a recorded blit or no pixels yet.
QImage surfaceImage(const Surface &surface);

// The part of a surface inside `part` (clipped to the surface) as an image
// of that part's size, for painting what a view exposes: over the surface's
// storage without copying where it has storage (holding a share of it, as
// surfaceImage does), otherwise built from the rows of the part alone, so
// that a composite that was never stored whole costs only what is shown.
// Null when nothing of the part lies inside.
QImage surfaceImagePart(const Surface &surface, const QRect &part);

} // namespace masume::ui
