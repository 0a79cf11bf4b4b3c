#pragma once

#include <string>
#include <string_view>

namespace masume {

// The application title shown on the error box: the program file's name
// without its folder, cut at its first ".", every character after the first
// in lower case ("/usr/bin/MASUME.bin" gives "Masume").
std::string applicationTitle(std::string_view programPath);

// The error box's text: the message with "." appended when the message is
// not empty and its last character sorts after "." (compared as code
// points).
std::string errorBoxText(std::string_view message);

} // namespace masume
