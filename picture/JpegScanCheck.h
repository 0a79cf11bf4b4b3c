#pragma once

#include <cstdint>
#include <span>

namespace masume {

enum class ScanDataVerdict {
    Fits, // the first scan's data can hold its blocks, or the file is not checked
    TooShort, // the data cannot hold the blocks the frame claims
    NeedMore, // only for a prefix: the bytes end before the verdict is known
};

// Whether the entropy-coded data of a JPEG file's first scan can hold the
// blocks it covers, judged from the bytes alone before the decoder
// allocates for them: a Huffman-coded scan spends at least one bit on each
// block, so a first DC scan (Ss = 0, Ah = 0: the first scan of a
// sequential file as well) of B blocks needs at least B / 8 bytes. A file
// of a few hundred bytes cannot claim a picture of gigabytes.
//
// The markers are walked as the decoder walks them (stray bytes between
// segments skipped, segments by their lengths). Blocks are counted as the
// decoder counts them: an interleaved scan covers its MCUs times the blocks
// of one MCU, a scan of one component that component's blocks. The data
// run from the end of the scan header to the first marker other than a
// restart marker; stuffed bytes and restart markers count as data whole,
// so the bound is never too strict.
//
// Only Huffman-coded DCT frames (SOF0, SOF1, SOF2) are judged: any other
// frame, and headers the decoder would refuse, give Fits (the decoder
// reports them itself). `bytes` may be a prefix of the file
// (wholeFile = false): NeedMore then when they end before the verdict is
// known. With the whole file, data that end in the first scan before
// reaching the bound are TooShort. Work: one pass over the headers and at
// most the bound's bytes of the scan.
ScanDataVerdict checkFirstScanData(std::span<const uint8_t> bytes, bool wholeFile);

} // namespace masume
