#pragma once

#include <string>

namespace masume {

// Whether m is one of the messages with which the picture readers refuse a
// file (a damaged one, or one too large for the memory): anything else
// that reading raises is a fault. The readers' contract, for their tests,
// the fuzz targets and the replay of their findings.
bool isReaderMessage(const std::string &m);

} // namespace masume
