#pragma once

#include "batch/BatchOptions.h"

#include <string>

namespace masume::batch {

// Lays the grid over one picture file and writes it under outputName,
// passing the picture on as rows (see batch/BandPipeline.h): the file
// written is byte for byte the one the desktop program saves for the same
// settings (PictureCommands: opening, then Save As under that name), the
// messages are its messages, and only what a reader must hold (see
// README: a run-length BMP, a progressive JPEG's coefficients) takes memory
// that grows with the picture.
//
// Checks come in the desktop's order as far as the rows allow: the reader
// chosen by the extension ("拡張子 .%s の画像形式は処理できません"), the file
// opened and its header read, the grid's sizes, then the saving rules on
// the output name (a name without extension gets ".bmp"). A file damaged
// further in gives its message once the output is begun; the old output
// stays as it was, and nothing is left beside it.
//
// threads: 1, or 2 to read ahead on a thread of its own.
void streamPicture(const BatchOptions &options, const std::string &input, std::string outputName,
                   int threads);

} // namespace masume::batch
