#pragma once

#include "batch/BatchOptions.h"

#include <optional>
#include <string>

namespace masume::batch {

// The extension of a format's files, with its dot: ".bmp", ".jpg", ".png".
const char *extensionFor(OutputFormat format);

// The format an output is written in: standard output ("-") in the format
// given; a name under the desktop program's saving rules, with PNG added:
// ".png" in any case gives PNG, ".jpg" and ".jpeg" JPEG, a name without
// extension gets ".bmp" appended, any other name BMP content. A name that
// ends in "/" or names a folder raises "ファイル %s を作成できません".
OutputFormat outputFormatFor(std::string &name, std::optional<OutputFormat> given);

} // namespace masume::batch
