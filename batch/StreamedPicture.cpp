#include "batch/StreamedPicture.h"

#include "Canvas/ComposedRows.h"
#include "Canvas/SaveRules.h"
#include "Grid/BandMask.h"
#include "batch/BandPipeline.h"
#include "common/Error.h"
#include "common/Messages.h"
#include "picture/AtomicFile.h"
#include "picture/BmpEncoder.h"
#include "picture/JpegEncoder.h"
#include "picture/JpegStream.h"
#include "picture/PictureFile.h"
#include "picture/SurfaceStream.h"

#include <cctype>
#include <memory>
#include <vector>

namespace masume::batch {

namespace {

// A picture file opened for its rows: the stream and what it reads from.
struct OpenedPicture
{
    std::unique_ptr<ByteSource> source;
    std::unique_ptr<PictureStream> rows;
};

OpenedPicture openPicture(const std::string &input)
{
    std::string extension = extensionOf(input);
    for (char &c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const PictureFormat *format = findPictureFormat(extension);
    if (!format)
        raise(msg::UnknownExtension, {extension});
    OpenedPicture opened;
    if (format->kind == PictureKind::Jpeg) {
        opened.source = std::make_unique<FileSource>(input);
        JpegReading reading;
        reading.use = PictureUse::Rows;
        opened.rows = openJpegStream(*opened.source, reading);
        return opened;
    }
    // The other readers hold the picture (a BMP file's pixels are small
    // beside the rest); icons and metafiles are refused as the desktop
    // program refuses them.
    opened.rows = std::make_unique<SurfaceStream>(makeSurface(readPicture(input)));
    return opened;
}

std::unique_ptr<PictureEncoder> encoderFor(SaveFormat format, ByteSink &sink, int width, int height)
{
    if (format == SaveFormat::Jpeg)
        return std::make_unique<JpegEncoder>(sink, width, height);
    return std::make_unique<BmpEncoder>(sink, width, height);
}

} // namespace

void streamPicture(const BatchOptions &options, const std::string &input, std::string outputName,
                   int threads)
{
    OpenedPicture picture = openPicture(input);
    PictureStream &in = *picture.rows;
    const int width = in.width(), height = in.height();
    // Drawn with the picture's size, as opening draws it also when the
    // grid is not saved: a size of 0 fails here.
    const BandMask mask(options.kind, options.sizeH, options.sizeV, width, height);
    mask.check();

    const SaveFormat format = saveFormatFor(outputName);
    if (width == 0 || height == 0) {
        writeWholeFile(outputName, {});
        return;
    }
    BandPass pass;
    pass.in = &in;
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
    AtomicFile file(outputName);
    const std::unique_ptr<PictureEncoder> encoder = encoderFor(format, file, width, height);
    pass.out = encoder.get();
    passBands(pass);
    file.commit();
}

} // namespace masume::batch
