#pragma once

#include <string>

namespace masume {

// The file that saving under a name writes: the name itself, or for a
// symbolic link the file it names, followed link by link (a relative link
// counts from the link's folder), also when that file does not exist yet.
// Empty after 40 links (a loop) or when a link cannot be read.
std::string followLinks(const std::string &fileName);

// The folder of a path as open() takes it: "." for a bare name, "/" for a
// name right under the root.
std::string folderOf(const std::string &path);

// The last part of a path, after its last "/".
std::string baseNameOf(const std::string &path);

} // namespace masume
