#include "common/Error.h"
#include "common/Messages.h"
#include "picture/ExifOrientation.h"
#include "picture/JpegFence.h"
#include "picture/JpegScanCheck.h"
#include "picture/JpegStream.h"
#include "picture/Orientation.h"
#include "picture/PictureData.h"

#include <jerror.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <vector>

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
    Direct, // rows decoded straight into the caller's rows as blue, green, red
    Cmyk, // CMYK rows (YCCK files included) converted per row
    Indexed, // quantised rows looked up in the library's colour map
};

// The library's progress monitor, counting the blocks the scans pass over.
struct ScanWatch
{
    // The library's view of this object: it must come first.
    jpeg_progress_mgr manager {};
    int scan = 0; // the last scan counted
    uint64_t blocks = 0; // of the scans so far
};

// The library's input, taken from a byte source in pieces; a file already
// in memory is handed over whole. A source that fails is recorded and ends
// the decoding through the library's error exit (see JpegFence.h); the
// caller raises its error outside the library's frames.
//
// Until the first scan's data are judged (JpegScanCheck.h) the bytes read
// are also kept in `start`, and those read ahead for the judgement are
// handed to the library before the source's next ones.
struct SourceFeed
{
    // The library's view of this object: it must come first.
    jpeg_source_mgr manager {};
    ByteSource *source = nullptr;
    MemorySource *memory = nullptr; // until handed over
    MemorySource *whole = nullptr; // a file in memory
    std::exception_ptr failure;
    bool started = false; // a byte was handed over
    bool keeping = false; // bytes read go to `start` as well
    std::vector<uint8_t> start; // the file's first bytes
    size_t startHanded = 0; // of them, handed to the library
    std::array<JOCTET, 1 << 16> buffer;
};

SourceFeed &feedOf(j_decompress_ptr c)
{
    return *reinterpret_cast<SourceFeed *>(c->src);
}

void startInput(j_decompress_ptr) { }

void endInput(j_decompress_ptr) { }

boolean fillInput(j_decompress_ptr c)
{
    SourceFeed &f = feedOf(c);
    if (f.memory) {
        const std::span<const uint8_t> rest = f.memory->rest();
        f.memory = nullptr;
        f.source = nullptr; // handed over whole; the next call finds the end
        if (!rest.empty()) {
            f.manager.next_input_byte = rest.data();
            f.manager.bytes_in_buffer = rest.size();
            f.started = true;
            return TRUE;
        }
    }
    if (f.startHanded < f.start.size() && !f.keeping) {
        // The bytes read ahead, kept unchanged until the next call.
        f.manager.next_input_byte = f.start.data() + f.startHanded;
        f.manager.bytes_in_buffer = f.start.size() - f.startHanded;
        f.startHanded = f.start.size();
        return TRUE;
    }
    size_t got = 0;
    if (f.source) {
        try {
            got = f.source->read(f.buffer);
            if (f.keeping)
                f.start.insert(f.start.end(), f.buffer.begin(), f.buffer.begin() + ptrdiff_t(got));
        } catch (...) {
            f.failure = std::current_exception();
        }
        if (f.failure)
            ERREXIT(c, JERR_FILE_READ);
    }
    if (got == 0 && !f.started)
        ERREXIT(c, JERR_INPUT_EMPTY);
    f.started = true;
    if (got == 0) {
        // A file that ends early: the library makes up the rest, as it does
        // for its own sources.
        WARNMS(c, JWRN_JPEG_EOF);
        f.buffer[0] = 0xFF;
        f.buffer[1] = JPEG_EOI;
        got = 2;
        f.source = nullptr;
    }
    f.manager.next_input_byte = f.buffer.data();
    f.manager.bytes_in_buffer = got;
    return TRUE;
}

void skipInput(j_decompress_ptr c, long bytes)
{
    SourceFeed &f = feedOf(c);
    while (bytes > long(f.manager.bytes_in_buffer)) {
        bytes -= long(f.manager.bytes_in_buffer);
        fillInput(c);
    }
    if (bytes > 0) {
        f.manager.next_input_byte += bytes;
        f.manager.bytes_in_buffer -= size_t(bytes);
    }
}

// One decoding. The library object is released with this, on every path.
struct Decoder
{
    jpeg_decompress_struct cinfo {};
    JpegErrors errors {};
    ScanWatch watch;
    SourceFeed feed;
    bool created = false;
    bool keepApp1 = false; // APP1 segments saved for their Exif block
    Output output = Output::Direct;
    // The rows of one readRows call, and one row of library output when it
    // needs converting (4 bytes per pixel).
    std::vector<JSAMPROW> rows;
    std::vector<uint8_t> scratch;
    // Turning upright a picture whose first stored row is not its first
    // upright row: the stored rows are decoded a band at a time into `band`
    // (rows of bandStride bytes) and placed into the upright picture.
    int orientation = 1;
    std::vector<uint8_t> band;
    ptrdiff_t bandStride = 0;
    uint8_t *upright = nullptr;
    ptrdiff_t uprightStride = 0;

    Decoder(ByteSource &source)
    {
        installJpegErrors(*reinterpret_cast<jpeg_common_struct *>(&cinfo), errors);
        feed.source = &source;
        feed.memory = feed.whole = dynamic_cast<MemorySource *>(&source);
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
        if (const int code = runJpegStep(errors, step, this)) {
            if (feed.failure)
                std::rethrow_exception(feed.failure);
            raiseJpegError(code);
        }
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
    d.feed.manager.init_source = startInput;
    d.feed.manager.fill_input_buffer = fillInput;
    d.feed.manager.skip_input_data = skipInput;
    d.feed.manager.resync_to_restart = jpeg_resync_to_restart;
    d.feed.manager.term_source = endInput;
    d.cinfo.src = &d.feed.manager;
    if (d.keepApp1)
        jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
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

void startDecoding(void *context)
{
    // A file of several scans is read to its end here, into the library's
    // coefficients.
    jpeg_start_decompress(&static_cast<Decoder *>(context)->cinfo);
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

// Up to `wanted` next stored rows into rows[0] on; how many (0 only from a
// library fault).
JDIMENSION readStored(Decoder &d, JSAMPROW *rows, JDIMENSION wanted)
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
        JSAMPROW row = d.scratch.data();
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            break;
        if (d.output == Output::Cmyk)
            cmykToBgr(d.scratch.data(), rows[got], cinfo->output_width);
        else
            indexedToBgr(cinfo, d.scratch.data(), rows[got]);
        ++got;
    }
    return got;
}

// The rows set in d.rows, all of them, in stored order. The source never
// suspends, so every call yields rows (where a truncated file has no data,
// the library makes them up with a warning); a call yielding none would be
// a library fault, which jpeg_finish_decompress then reports.
void decodeRows(void *context)
{
    Decoder &d = *static_cast<Decoder *>(context);
    readStored(d, d.rows.data(), JDIMENSION(d.rows.size()));
    if (d.cinfo.output_scanline >= d.cinfo.output_height)
        jpeg_finish_decompress(&d.cinfo);
}

// Every stored row, a band at a time, placed into the upright picture.
void decodeUpright(void *context)
{
    Decoder &d = *static_cast<Decoder *>(context);
    j_decompress_ptr cinfo = &d.cinfo;
    while (cinfo->output_scanline < cinfo->output_height) {
        const JDIMENSION first = cinfo->output_scanline;
        const JDIMENSION wanted = std::min<JDIMENSION>(cinfo->output_height - first, BandRows);
        const JDIMENSION got = readStored(d, d.rows.data(), wanted);
        if (got == 0)
            break;
        placeStoredRows(d.orientation, d.band.data(), d.bandStride, int(first), int(got),
                        int(cinfo->output_width), int(cinfo->output_height), d.upright,
                        d.uprightStride);
    }
    jpeg_finish_decompress(cinfo);
}

// Mirrors count rows of `width` pixels left to right, in place.
void mirrorRows(uint8_t *out, ptrdiff_t stride, int count, int width)
{
    for (int r = 0; r < count; ++r) {
        uint8_t *row = out + r * stride;
        for (int a = 0, b = width - 1; a < b; ++a, --b)
            std::swap_ranges(row + 3 * a, row + 3 * a + 3, row + 3 * b);
    }
}

// What the library holds for a file of several scans: every coefficient of
// every block, 2 bytes each.
uint64_t coefficientBytes(const jpeg_decompress_struct &c)
{
    uint64_t blocks = 0;
    for (int i = 0; i < c.num_components; ++i)
        blocks += blocksOf(c.comp_info[i]);
    return blocks * DCTSIZE2 * sizeof(JCOEF);
}

class JpegRows final : public PictureStream
{
public:
    JpegRows(ByteSource &source, const JpegReading &reading)
        : m_decoder(std::make_unique<Decoder>(source))
    {
        Decoder &d = *m_decoder;
        d.keepApp1 = reading.autoOrient;
        d.feed.keeping = !d.feed.whole;
        d.run(openAndReadHeader);
        jpeg_decompress_struct &c = d.cinfo;
        d.orientation = reading.autoOrient ? savedOrientation(c) : 1;
        m_width = int(c.image_width);
        m_height = int(c.image_height);
        if (swapsSides(d.orientation))
            std::swap(m_width, m_height);
        chooseOutput(reading);
        // Damage is refused before the library allocates for the blocks
        // the file claims, with the library's message for data that end
        // early; then the memory guard.
        checkScanData();
        const bool wholeTurn = d.orientation >= 3;
        if (reading.use == PictureUse::Whole) {
            checkPictureSize(c.image_width, c.image_height);
        } else {
            if (jpeg_has_multiple_scans(&c))
                m_held = coefficientBytes(c);
            if (wholeTurn)
                m_held += uint64_t(m_width) * uint64_t(m_height) * 3;
            checkHeldBytes(m_held);
        }
        d.scratch.resize(d.output == Output::Direct ? 0 : size_t(c.image_width) * 4);
        // The picture is allocated only once the library has taken the data
        // it needs first: for a multi-scan file, every scan.
        d.run(startDecoding);
        if (wholeTurn)
            decodeWhole();
    }

    void readRows(uint8_t *out, ptrdiff_t stride, int count) override
    {
        if (m_whole.width() > 0) {
            for (int i = 0; i < count; ++i, ++m_next)
                std::memcpy(out + i * stride, m_whole.constScanLine(m_next), size_t(m_width) * 3);
            return;
        }
        Decoder &d = *m_decoder;
        d.rows.resize(size_t(count));
        for (int i = 0; i < count; ++i)
            d.rows[size_t(i)] = out + i * stride;
        d.run(decodeRows);
        if (d.orientation == 2)
            mirrorRows(out, stride, count, m_width);
    }

    uint64_t heldBytes() const override { return m_held; }

    bool handOver(Surface &picture) override
    {
        if (m_whole.width() == 0)
            return false;
        picture = std::move(m_whole);
        return true;
    }

private:
    void chooseOutput(const JpegReading &reading)
    {
        jpeg_decompress_struct &c = m_decoder->cinfo;
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
            m_decoder->output = Output::Cmyk;
            break;
        default:
            if (reading.eightBitOutput) {
                c.out_color_space = JCS_RGB;
                c.quantize_colors = TRUE;
                c.desired_number_of_colors = PaletteColours;
                m_decoder->output = Output::Indexed;
            } else {
                c.out_color_space = JCS_EXT_BGR;
            }
            break;
        }
    }

    // The first scan's data judged from the file's bytes: all of them for a
    // file in memory; else the bytes the header took and as many more as
    // the judgement needs (at most a bit a block of the scan), read ahead.
    void checkScanData()
    {
        SourceFeed &f = m_decoder->feed;
        ScanDataVerdict verdict;
        if (f.whole) {
            verdict = checkFirstScanData(f.whole->bytes(), true);
        } else {
            f.startHanded = f.start.size();
            std::vector<uint8_t> piece(1 << 16);
            bool atEnd = !f.source;
            while ((verdict = checkFirstScanData(f.start, atEnd)) == ScanDataVerdict::NeedMore) {
                const size_t got = f.source->read(piece);
                f.start.insert(f.start.end(), piece.begin(), piece.begin() + ptrdiff_t(got));
                atEnd = got == 0;
            }
            f.keeping = false;
        }
        if (verdict == ScanDataVerdict::TooShort)
            raiseJpegError(JERR_INPUT_EOF);
    }

    // A picture to turn upright whose first row comes last or as a column:
    // decoded whole into the upright picture, a band of stored rows at a
    // time.
    void decodeWhole()
    {
        Decoder &d = *m_decoder;
        const jpeg_decompress_struct &c = d.cinfo;
        m_whole = Surface(m_width, m_height, PixelFormat::Rgb24);
        // Every pixel is placed (or the decoding fails), so the picture is
        // not painted first.
        d.upright = m_whole.pixelsForOverwrite();
        d.uprightStride = m_whole.stride();
        d.bandStride = ptrdiff_t(c.output_width) * 3;
        d.rows.resize(std::min<size_t>(BandRows, c.output_height));
        d.band.resize(d.rows.size() * size_t(d.bandStride));
        for (size_t y = 0; y < d.rows.size(); ++y)
            d.rows[y] = d.band.data() + ptrdiff_t(y) * d.bandStride;
        d.run(decodeUpright);
        d.band = {};
    }

    std::unique_ptr<Decoder> m_decoder;
    uint64_t m_held = 0;
    Surface m_whole; // the upright picture, for orientations 3 to 8
    int m_next = 0;
};

} // namespace

std::unique_ptr<PictureStream> openJpegStream(ByteSource &source, const JpegReading &reading)
{
    return std::make_unique<JpegRows>(source, reading);
}

Picture readJpeg(std::vector<uint8_t> file)
{
    auto data = std::make_shared<Picture::Data>();
    data->kind = PictureKind::Jpeg;
    {
        // The header alone; decoded when a surface is made.
        MemorySource source(file);
        Decoder d(source);
        d.keepApp1 = jpegAutoOrient();
        d.run(openAndReadHeader);
        const int orientation = d.keepApp1 ? savedOrientation(d.cinfo) : 1;
        data->width = int(d.cinfo.image_width);
        data->height = int(d.cinfo.image_height);
        if (swapsSides(orientation))
            std::swap(data->width, data->height);
    }
    data->jpegBytes = std::move(file);
    Picture picture;
    picture.data = std::move(data);
    return picture;
}

Surface decodeJpeg(const Picture::Data &jpeg)
{
    MemorySource source(jpeg.jpegBytes);
    JpegReading reading;
    reading.eightBitOutput = jpegEightBitOutput();
    reading.autoOrient = jpegAutoOrient();
    const std::unique_ptr<PictureStream> rows = openJpegStream(source, reading);
    Surface surface;
    if (rows->handOver(surface))
        return surface;
    surface = Surface(rows->width(), rows->height(), PixelFormat::Rgb24);
    // Every row is decoded (or the decoding fails), so the surface is not
    // painted first.
    rows->readRows(surface.pixelsForOverwrite(), surface.stride(), surface.height());
    return surface;
}

} // namespace masume
