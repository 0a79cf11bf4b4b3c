// The PNG reader fed with arbitrary file content: every row read. Anything
// but one of the readers' own messages, or a size the memory guard should
// have refused, is a finding.
//
// Each input is decoded twice: as it is, and with the CRC of every chunk
// made right, so that changed bytes reach the chunks' content and the
// pixels instead of stopping at the first CRC.
// Replay: pass files instead of folders, e.g. bin/fuzz_png crash-1234.

#include "common/Error.h"
#include "picture/ByteSource.h"
#include "picture/PictureFile.h"
#include "picture/PngReader.h"
#include "picture/ReaderMessages.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace masume;

namespace {

constexpr uint64_t PixelLimit = uint64_t(1) << 22;

uint32_t crc32(const uint8_t *data, size_t size)
{
    uint32_t crc = ~0u;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

// The file with the CRC of each whole chunk after the signature set right.
std::vector<uint8_t> withRightCrcs(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> file(data, data + size);
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint64_t length
            = uint64_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        if (length > file.size() - at - 12)
            break;
        const uint32_t crc = crc32(&file[at + 4], size_t(length) + 4);
        uint8_t *out = &file[at + 8 + length];
        out[0] = uint8_t(crc >> 24);
        out[1] = uint8_t(crc >> 16);
        out[2] = uint8_t(crc >> 8);
        out[3] = uint8_t(crc);
        at += 12 + length;
    }
    return file;
}

void decode(const uint8_t *data, size_t size)
{
    try {
        MemorySource source(std::span<const uint8_t>(data, size));
        PngStream stream(source);
        if (stream.width() <= 0 || stream.height() <= 0
            || uint64_t(stream.width()) * uint64_t(stream.height()) > PixelLimit)
            std::abort();
        // Every row is read, and every byte of it, so that any uninitialised
        // memory shows.
        std::vector<uint8_t> row(size_t(stream.width()) * 3);
        unsigned sum = 0;
        for (int y = 0; y < stream.height(); ++y) {
            stream.readRows(row.data(), 0, 1);
            for (uint8_t b : row)
                sum += b;
        }
        if (sum == 0xFFFFFFFFu)
            std::abort();
    } catch (const Error &e) {
        if (!isReaderMessage(e.what()))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // 4 megapixels, as for the other readers.
    setPicturePixelLimit(PixelLimit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    decode(data, size);
    const std::vector<uint8_t> fixed = withRightCrcs(data, size);
    decode(fixed.data(), fixed.size());
    return 0;
}
