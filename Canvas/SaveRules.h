#pragma once

#include "raster/Surface.h"

#include <string>
#include <string_view>

namespace masume {

// Whether a file of that name exists: the name as given, a relative name
// against the process's current folder at this moment. A folder does not
// count; a link counts when it leads to something that is not a folder.
bool fileExists(const std::string &fileName);

// The extension of a file name with its dot, in lower case: the text from
// the last "." on, when that "." comes after the last "/"; otherwise empty.
// "a." gives ".", "/a.b/foo" gives "".
std::string lowerDotExtension(std::string_view fileName);

// The file formats a picture is saved in.
enum class SaveFormat { Bmp, Jpeg };

// The saving rules applied to a name before anything is written: a name
// that ends in "/" or names a folder raises "ファイル %s を作成できません";
// a name without extension gets ".bmp" appended; ".jpg" and ".jpeg" in any
// case give JPEG, every other name BMP.
SaveFormat saveFormatFor(std::string &fileName);

// Writes a picture under the saving rules: a name ending in ".jpg" or
// ".jpeg" in any case gets a JPEG file of quality 90; a name without
// extension first gets ".bmp" appended, which it keeps also when writing then
// fails; every other name gets a 24-bit BMP file under exactly that name.
// An empty picture gives a file of 0 bytes. An existing file is replaced as
// a whole or not at all. A name that ends in "/" or names a folder is
// refused before anything is appended or written. Raises
// "ファイル %s を作成できません" or "ストリームへの書き込みエラー".
void writePictureFile(const Surface &picture, std::string &fileName);

} // namespace masume
