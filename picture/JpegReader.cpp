#include "picture/ExifOrientation.h"
#include "picture/JpegFence.h"
#include "picture/JpegScanCheck.h"
#include "picture/Orientation.h"
#include "picture/PictureData.h"

#include <algorithm>
#include <jerror.h>

namespace masume {

namespace {

// A progressive file may hold any number of scans, and each one costs a
// pass over the blocks of the colour channels it holds, even when it holds
// almost no data: a few kilobytes of scan headers could keep the decoder
// busy for minutes. So the scans of a file may pass over at most
// ScanPasses times the blocks of the whole picture in all; beyond that the
// file counts as damaged. A scan passes over at most all blocks (a scan of
// one channel over that channel's share), and jpegtran writes at most 100
// scans, so no file it makes is refused, nor any of the usual encoders'
// (ten or so scans). A file of repeated or empty scans stops after work of
// about six plain decodes of a picture of its size.
constexpr uint64_t ScanPasses = 100;

// The colours of the quantised output for displays of 8 or fewer bits.
constexpr int PaletteColours = 236;

// The stored rows decoded at a time before they are turned upright: enough
// that a quarter turn writes runs of pixels (192 bytes per upright row),
// few enough that the band stays in the cache. Measured on 6000 x 4000
// photos, a quarter turn adds 0.04 s to decodings of 0.05 to 0.2 s with 64
// rows, 0.05 s with 32 and 0.07 s with 128.
constexpr int BandRows = 64;

enum class Output {
    Direct, // rows decoded straight into the surface as blue, green, red
    Cmyk, // CMYK rows (YCCK files included) converted per row
    Indexed, // quantised rows looked up in the library's colour map
};

// One decoding from the file's bytes. The library object is destroyed with
// this, on every path.
// The library's progress monitor, counting the blocks the scans pass over.
struct ScanWatch
{
    // The library's view of this object: it must come first.
    jpeg_progress_mgr manager {};
    int scan = 0; // the last scan counted
    uint64_t blocks = 0; // of the scans so far
};

struct Decoder
{
    jpeg_decompress_struct cinfo {};
    JpegErrors errors {};
    ScanWatch watch;
    bool created = false;
    bool keepApp1 = false; // save APP1 segments for their Exif block
    const uint8_t *bytes = nullptr;
    size_t size = 0;
    Output output = Output::Direct;
    // Reading: where the stored rows go, top down: the surface's rows when
    // the picture is stored upright, else the rows of a band of BandRows,
    // bandStride bytes apart, that are then turned into the upright
    // surface. And one row of library output when it needs converting (4
    // bytes per pixel).
    int orientation = 1;
    uint8_t **rows = nullptr;
    ptrdiff_t bandStride = 0;
    uint8_t *upright = nullptr;
    ptrdiff_t uprightStride = 0;
    uint8_t *scratch = nullptr;

    Decoder(const uint8_t *data, size_t length)
        : bytes(data)
        , size(length)
    {
        installJpegErrors(*reinterpret_cast<jpeg_common_struct *>(&cinfo), errors);
    }
    ~Decoder()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    void run(void (*step)(void *))
    {
        if (const int code = runJpegStep(errors, step, this))
            raiseJpegError(code);
    }
};

uint64_t blocksOf(const jpeg_component_info &c)
{
    return uint64_t(c.width_in_blocks) * c.height_in_blocks;
}

// Called before every row of blocks and every scan the library reads, with
// the scan's components set up once its header is read.
void watchScans(j_common_ptr object)
{
    auto *cinfo = reinterpret_cast<j_decompress_ptr>(object);
    ScanWatch &watch = *reinterpret_cast<ScanWatch *>(cinfo->progress);
    if (cinfo->input_scan_number == watch.scan)
        return;
    watch.scan = cinfo->input_scan_number;
    uint64_t picture = 0;
    for (int i = 0; i < cinfo->num_components; ++i)
        picture += blocksOf(cinfo->comp_info[i]);
    for (int i = 0; i < cinfo->comps_in_scan; ++i)
        watch.blocks += blocksOf(*cinfo->cur_comp_info[i]);
    if (watch.blocks > ScanPasses * picture)
        ERREXIT(cinfo, JERR_BAD_PROGRESSION);
}

// Library steps (see runJpegStep): plain C code only.

void openAndReadHeader(void *context)
{
    Decoder &d = *static_cast<Decoder *>(context);
    d.created = true;
    jpeg_create_decompress(&d.cinfo);
    d.watch.manager.progress_monitor = watchScans;
    d.cinfo.progress = &d.watch.manager;
    if (d.keepApp1)
        jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_mem_src(&d.cinfo, d.bytes, static_cast<unsigned long>(d.size));
    jpeg_read_header(&d.cinfo, TRUE);
}

// The orientation of the first Exif block among the saved APP1 segments.
int savedOrientation(const jpeg_decompress_struct &cinfo)
{
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        const std::span<const uint8_t> payload(m->data, m->data_length);
        if (m->marker == JPEG_APP0 + 1 && isExifBlock(payload))
            return exifOrientation(payload);
    }
    return 1;
}

void cmykToBgr(const uint8_t *in, uint8_t *out, JDIMENSION width)
{
    // Adobe files store inverted CMYK, so each channel times K is the
    // colour: R = C * K / 255, rounded as libjpeg-turbo's own tools do.
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned k = in[3];
        out[0] = uint8_t((2 * in[2] * k + 255) / 510);
        out[1] = uint8_t((2 * in[1] * k + 255) / 510);
        out[2] = uint8_t((2 * in[0] * k + 255) / 510);
    }
}

void indexedToBgr(const j_decompress_ptr cinfo, const uint8_t *in, uint8_t *out)
{
    const JSAMPARRAY map = cinfo->colormap;
    for (JDIMENSION x = 0; x < cinfo->output_width; ++x, out += 3) {
        out[0] = map[2][in[x]];
        out[1] = map[1][in[x]];
        out[2] = map[0][in[x]];
    }
}

void startDecompress(void *context)
{
    // Absorbs every scan of a multi-scan file before it returns.
    jpeg_start_decompress(&static_cast<Decoder *>(context)->cinfo);
}

// Up to `wanted` next stored rows into rows[0] on; how many (0 only from
// a library fault).
JDIMENSION readRows(Decoder &d, uint8_t **rows, JDIMENSION wanted)
{
    j_decompress_ptr cinfo = &d.cinfo;
    JDIMENSION got = 0;
    while (got < wanted) {
        if (d.output == Output::Direct) {
            const JDIMENSION n = jpeg_read_scanlines(cinfo, rows + got, wanted - got);
            if (n == 0)
                break;
            got += n;
            continue;
        }
        JSAMPROW row = d.scratch;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            break;
        if (d.output == Output::Cmyk)
            cmykToBgr(d.scratch, rows[got], cinfo->output_width);
        else
            indexedToBgr(cinfo, d.scratch, rows[got]);
        ++got;
    }
    return got;
}

void decodeRows(void *context)
{
    Decoder &d = *static_cast<Decoder *>(context);
    j_decompress_ptr cinfo = &d.cinfo;
    // The memory source never suspends, so every call yields rows (where a
    // truncated file has no data, the library makes them up with a
    // warning); a call yielding none would be a library fault, which
    // jpeg_finish_decompress then reports.
    while (cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION first = cinfo->output_scanline;
        const JDIMENSION left = cinfo->output_height - first;
        if (d.orientation == 1) {
            // Straight into the surface's rows.
            if (readRows(d, d.rows + first, left) == 0)
                break;
            continue;
        }
        const JDIMENSION got = readRows(d, d.rows, std::min<JDIMENSION>(left, BandRows));
        if (got == 0)
            break;
        placeStoredRows(d.orientation, d.rows[0], d.bandStride, int(first), int(got),
                        int(cinfo->output_width), int(cinfo->output_height), d.upright,
                        d.uprightStride);
    }
    jpeg_finish_decompress(cinfo);
}

// The library's output for the file's colour space and the display.
void chooseOutput(Decoder &d)
{
    jpeg_decompress_struct &c = d.cinfo;
    c.scale_num = 1;
    c.scale_denom = 1;
    c.dct_method = JDCT_FLOAT;
    c.do_fancy_upsampling = TRUE;
    c.do_block_smoothing = TRUE;
    c.buffered_image = FALSE;
    switch (c.jpeg_color_space) {
    case JCS_GRAYSCALE:
        // All 256 levels, widened by the library to three equal channels.
        c.out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        c.out_color_space = JCS_CMYK;
        d.output = Output::Cmyk;
        break;
    default:
        if (jpegEightBitOutput()) {
            c.out_color_space = JCS_RGB;
            c.quantize_colors = TRUE;
            c.desired_number_of_colors = PaletteColours;
            d.output = Output::Indexed;
        } else {
            c.out_color_space = JCS_EXT_BGR;
        }
        break;
    }
}

// The rows the library writes into: the surface's own when the picture is
// stored upright, else a band that decodeRows turns into the surface.
struct RowTargets
{
    std::vector<uint8_t *> rows;
    std::vector<uint8_t> band;
    std::vector<uint8_t> scratch;
};

void prepareRows(Decoder &d, Surface &upright, RowTargets &t)
{
    const jpeg_decompress_struct &c = d.cinfo;
    // Every row is decoded (or the decoding fails), so the surface is not
    // painted first.
    d.upright = upright.pixelsForOverwrite();
    d.uprightStride = upright.stride();
    if (d.orientation == 1) {
        t.rows.resize(c.output_height);
        for (size_t y = 0; y < t.rows.size(); ++y)
            t.rows[y] = d.upright + ptrdiff_t(y) * d.uprightStride;
    } else {
        d.bandStride = ptrdiff_t(c.output_width) * 3;
        t.rows.resize(std::min<size_t>(BandRows, c.output_height));
        t.band.resize(t.rows.size() * size_t(d.bandStride));
        for (size_t y = 0; y < t.rows.size(); ++y)
            t.rows[y] = t.band.data() + ptrdiff_t(y) * d.bandStride;
    }
    t.scratch.resize(d.output == Output::Direct ? 0 : size_t(c.output_width) * 4);
    d.rows = t.rows.data();
    d.scratch = t.scratch.data();
}

} // namespace

Picture readJpeg(std::vector<uint8_t> file)
{
    auto data = std::make_shared<Picture::Data>();
    data->kind = PictureKind::Jpeg;
    {
        Decoder d(file.data(), file.size());
        d.keepApp1 = jpegAutoOrient();
        d.run(openAndReadHeader);
        data->orientation = d.keepApp1 ? savedOrientation(d.cinfo) : 1;
        data->width = int(d.cinfo.image_width);
        data->height = int(d.cinfo.image_height);
        if (swapsSides(data->orientation))
            std::swap(data->width, data->height);
    }
    data->jpegBytes = std::move(file);
    Picture picture;
    picture.data = std::move(data);
    return picture;
}

Surface decodeJpeg(const Picture::Data &jpeg)
{
    Decoder d(jpeg.jpegBytes.data(), jpeg.jpegBytes.size());
    d.run(openAndReadHeader);
    chooseOutput(d);
    jpeg_decompress_struct &c = d.cinfo;

    // Damage is refused before the library allocates for the blocks the
    // file claims, with the library's message for data that end early.
    if (checkFirstScanData(jpeg.jpegBytes, true) == ScanDataVerdict::TooShort)
        raiseJpegError(JERR_INPUT_EOF);
    checkPictureSize(c.image_width, c.image_height);
    // The picture is allocated only once the library has taken the data it
    // needs first: for a multi-scan file, every scan.
    d.run(startDecompress);
    d.orientation = jpeg.orientation;
    const bool swapped = swapsSides(d.orientation);
    Surface surface(int(swapped ? c.output_height : c.output_width),
                    int(swapped ? c.output_width : c.output_height), PixelFormat::Rgb24);
    RowTargets targets;
    prepareRows(d, surface, targets);
    d.run(decodeRows);
    return surface;
}

} // namespace masume
