#include "batch/StreamedPicture.h"

#include "Canvas/ComposedRows.h"
#include "Grid/BandMask.h"
#include "batch/BandPipeline.h"
#include "batch/OutputRules.h"
#include "batch/StandardStreams.h"
#include "common/Error.h"
#include "common/Messages.h"
#include "picture/AtomicFile.h"
#include "picture/BmpEncoder.h"
#include "picture/BmpStream.h"
#include "picture/JpegEncoder.h"
#include "picture/JpegStream.h"
#include "picture/PictureFile.h"
#include "picture/PngReader.h"
#include "picture/PngWriter.h"
#include "picture/SurfaceStream.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace masume::batch {

namespace {

// A picture file opened for its rows: the stream and what it reads from.
struct OpenedPicture
{
    std::unique_ptr<ByteSource> file;
    std::unique_ptr<ByteSource> start; // the file's first bytes, then the file
    std::unique_ptr<PictureStream> rows;
};

// The whole rest of a source, for the readers that take a file whole.
std::vector<uint8_t> allBytesOf(ByteSource &source)
{
    std::vector<uint8_t> bytes;
    constexpr size_t Piece = size_t(1) << 20;
    for (size_t got = 0;;) {
        bytes.resize(got + Piece);
        const size_t n = source.read(std::span(bytes).subspan(got, Piece));
        got += n;
        if (n < Piece) {
            bytes.resize(got);
            return bytes;
        }
    }
}

// The formats masume-batch reads: the desktop program's, and PNG.
struct InputFormat
{
    bool png = false;
    PictureKind kind = PictureKind::Bitmap; // unless png
};

// The rows of a picture of a format read from source.
std::unique_ptr<PictureStream> rowsOf(InputFormat format, ByteSource &source,
                                      const BatchOptions &options)
{
    if (format.png)
        return std::make_unique<PngStream>(source);
    const PictureKind kind = format.kind;
    if (kind == PictureKind::Bitmap && source.seekable() && source.size() > 0)
        return openBmpStream(source, PictureUse::Rows);
    if (kind == PictureKind::Jpeg) {
        JpegReading reading;
        reading.use = PictureUse::Rows;
        reading.autoOrient = options.autoOrient;
        return openJpegStream(source, reading);
    }
    // The other readers (a BMP file from a pipe, which cannot be read from
    // its end; an empty one) hold the picture; icons and metafiles are
    // refused as the desktop program refuses them.
    return std::make_unique<SurfaceStream>(makeSurface(readPictureBytes(kind, allBytesOf(source))));
}

// The format a file's first bytes tell; none for anything else.
std::optional<InputFormat> formatOfContent(std::span<const uint8_t> start)
{
    if (looksLikePng(start))
        return InputFormat {true};
    if (const std::optional<PictureKind> kind = pictureKindOfContent(start))
        return InputFormat {false, *kind};
    return std::nullopt;
}

// The rows of an open file (or standard input) whose format its first bytes
// tell; `refuse` raises the message for anything else.
template<class Refuse>
OpenedPicture openByContent(std::unique_ptr<ByteSource> file, const BatchOptions &options,
                            Refuse refuse)
{
    OpenedPicture opened;
    opened.file = std::move(file);
    std::vector<uint8_t> start(8);
    start.resize(opened.file->read(start));
    const std::optional<InputFormat> format = formatOfContent(start);
    if (!format)
        refuse();
    opened.start = std::make_unique<PrefixedSource>(std::move(start), *opened.file);
    opened.rows = rowsOf(*format, *opened.start, options);
    return opened;
}

// A file, its reader chosen by its extension as the desktop program
// chooses it, ".png" in any case for PNG; a file of any other name (a
// name without extension, "./-") by its first bytes, as standard input,
// and refused as the desktop program refuses its name where they tell
// nothing.
OpenedPicture openPicture(const BatchOptions &options, const std::string &input)
{
    if (input == StandardStream) {
        return openByContent(std::make_unique<FileSource>(), options,
                             [&] { raise(texts::NoPictureOnInput.in(options.language)); });
    }
    std::string extension = extensionOf(input);
    for (char &c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    OpenedPicture opened;
    if (extension == "png") {
        opened.file = std::make_unique<FileSource>(input);
        opened.rows = rowsOf({true}, *opened.file, options);
        return opened;
    }
    const PictureFormat *format = findPictureFormat(extension);
    if (!format) {
        const auto unknown = [&] { raise(msg::UnknownExtension, {extension}); };
        std::unique_ptr<FileSource> file;
        try {
            file = std::make_unique<FileSource>(input);
        } catch (const Error &) {
            unknown();
        }
        return openByContent(std::move(file), options, unknown);
    }
    if (format->kind == PictureKind::Jpeg || format->kind == PictureKind::Bitmap) {
        opened.file = std::make_unique<FileSource>(input);
        opened.rows = rowsOf({false, format->kind}, *opened.file, options);
    } else {
        opened.rows = std::make_unique<SurfaceStream>(makeSurface(readPicture(input)));
    }
    return opened;
}

std::unique_ptr<PictureEncoder> encoderFor(OutputFormat format, ByteSink &sink, int width,
                                           int height, const BatchOptions &options)
{
    switch (format) {
    case OutputFormat::Jpeg:
        return std::make_unique<JpegEncoder>(sink, width, height, options.jpeg);
    case OutputFormat::Png:
        return std::make_unique<PngEncoder>(sink, width, height, PngColour::Rgb);
    case OutputFormat::Bmp:
        break;
    }
    return std::make_unique<BmpEncoder>(sink, width, height);
}

// The picture's rows into sink: composed with the grid band by band.
void passPicture(const BatchOptions &options, PictureStream &in, const BandMask &mask,
                 OutputFormat format, ByteSink &sink, int threads)
{
    const int width = in.width();
    const std::unique_ptr<PictureEncoder> encoder
        = encoderFor(format, sink, width, in.height(), options);
    BandPass pass;
    pass.in = &in;
    pass.out = encoder.get();
    pass.threads = threads;
    const RowComposer composer(options.colour);
    std::vector<uint8_t> maskRows;
    if (options.withGrid && !mask.blank()) {
        pass.work = [&](uint8_t *rows, ptrdiff_t stride, int top, int count) {
            maskRows.resize(size_t(width) * size_t(count));
            mask.draw(maskRows.data(), width, top, count);
            for (int r = 0; r < count; ++r)
                composer.compose(rows + r * stride, maskRows.data() + size_t(r) * size_t(width),
                                 width);
        };
    }
    passBands(pass);
}

constexpr uint8_t Transparent[4] = {0, 0, 0, 0};

// The grid alone, band by band, as RGBA rows: the lines in the grid colour,
// opaque; every other pixel transparent black.
void passGridOnly(const BatchOptions &options, const BandMask &mask, int width, int height,
                  ByteSink &sink)
{
    PngEncoder encoder(sink, width, height, PngColour::Rgba);
    const int rows = bandRows(width);
    std::vector<uint8_t> maskRows(size_t(width) * size_t(rows));
    std::vector<uint8_t> row(size_t(width) * 4);
    const uint8_t line[4]
        = {blueOf(options.colour), greenOf(options.colour), redOf(options.colour), 0xFF};
    for (int top = 0; top < height; top += rows) {
        const int count = std::min(rows, height - top);
        mask.draw(maskRows.data(), width, top, count);
        for (int r = 0; r < count; ++r) {
            const uint8_t *m = maskRows.data() + size_t(r) * size_t(width);
            for (int x = 0; x < width; ++x)
                std::memcpy(&row[size_t(x) * 4], m[x] ? Transparent : line, 4);
            encoder.writeRow(row.data());
        }
    }
    encoder.finish();
}

// The picture's rows, or the grid alone, into sink.
void passOutput(const BatchOptions &options, PictureStream &in, const BandMask &mask,
                OutputFormat format, ByteSink &sink, int threads)
{
    if (options.gridOnly)
        passGridOnly(options, mask, in.width(), in.height(), sink);
    else
        passPicture(options, in, mask, format, sink, threads);
}

} // namespace

void streamPicture(const BatchOptions &options, const std::string &input, std::string outputName,
                   int threads)
{
    OpenedPicture picture = openPicture(options, input);
    PictureStream &in = *picture.rows;
    // Drawn with the picture's size, as opening draws it also when the
    // grid is not saved: a size of 0 fails here.
    const BandMask mask(options.kind, options.sizeH, options.sizeV, in.width(), in.height());
    mask.check();

    const OutputFormat format = outputFormatFor(outputName, options.format);
    const bool empty = in.width() == 0 || in.height() == 0;
    if (outputName == StandardStream) {
        StandardOutput out;
        if (!empty)
            passOutput(options, in, mask, format, out, threads);
        return;
    }
    if (empty) {
        writeWholeFile(outputName, {});
        return;
    }
    AtomicFile file(outputName);
    passOutput(options, in, mask, format, file, threads);
    file.commit();
}

} // namespace masume::batch
