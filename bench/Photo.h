#pragma once

#include "raster/Surface.h"

namespace masume::bench {

// A photo-like 24-bit picture of W x H: detail on every scale with less
// contrast the finer it is, slow colour casts and a few sharp edges, so that
// JPEG coding costs what it costs on photographs (noise would cost more,
// flat colour less). The same for the same size and variant on every run;
// variants differ in every detail but cost the same to code.
Surface photo(int W, int H, unsigned variant = 0);

// A 24-bit picture of W x H of seeded random bytes: no run of equal pixels
// for the surfaces to take a short cut on.
Surface noisePicture(int W, int H);

} // namespace masume::bench
