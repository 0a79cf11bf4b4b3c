#pragma once

#include "picture/PictureEncoder.h"

#include <functional>
#include <memory>
#include <string>

namespace masume {

class ByteSink;
class Surface;

// Makes the encoder of a picture of width x height that writes to the sink.
using EncoderMaker = std::function<std::unique_ptr<PictureEncoder>(ByteSink &, int, int)>;

// Saves a surface through an encoder that takes its rows top-down: an
// empty surface as an empty file, any other as 24 bits, read a row at a
// time (a composite that was never stored whole is built row by row, with
// no copy of the picture), into an atomic file that replaces the old one
// only once the encoder has finished. Raises what the encoder, the
// conversion or the file raise; the old file then stays as it was.
void writeSurfaceTopDown(const Surface &surface, const std::string &fileName,
                         const EncoderMaker &makeEncoder);

} // namespace masume
