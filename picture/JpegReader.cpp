#include "common/Error.h"
#include "common/Messages.h"
#include "picture/JpegFence.h"
#include "picture/JpegStream.h"
#include "picture/PictureData.h"

#include <jerror.h>

#include <array>
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
struct SourceFeed
{
    // The library's view of this object: it must come first.
    jpeg_source_mgr manager {};
    ByteSource *source = nullptr;
    MemorySource *memory = nullptr;
    std::exception_ptr failure;
    bool started = false; // a byte was handed over
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
    size_t got = 0;
    if (f.source) {
        try {
            got = f.source->read(f.buffer);
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
    Output output = Output::Direct;
    // The rows of one readRows call, and one row of library output when it
    // needs converting (4 bytes per pixel).
    std::vector<JSAMPROW> rows;
    std::vector<uint8_t> scratch;

    Decoder(ByteSource &source)
    {
        installJpegErrors(*reinterpret_cast<jpeg_common_struct *>(&cinfo), errors);
        feed.source = &source;
        feed.memory = dynamic_cast<MemorySource *>(&source);
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
    jpeg_read_header(&d.cinfo, TRUE);
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

// The rows set in d.rows, all of them. The source never suspends, so every
// call yields rows (where a truncated file has no data, the library makes
// them up with a warning); a call yielding none would be a library fault,
// which jpeg_finish_decompress then reports.
void decodeRows(void *context)
{
    Decoder &d = *static_cast<Decoder *>(context);
    j_decompress_ptr cinfo = &d.cinfo;
    const JDIMENSION count = JDIMENSION(d.rows.size());
    for (JDIMENSION done = 0; done < count;) {
        if (d.output == Output::Direct) {
            const JDIMENSION n = jpeg_read_scanlines(cinfo, d.rows.data() + done, count - done);
            if (n == 0)
                break;
            done += n;
            continue;
        }
        JSAMPROW row = d.scratch.data();
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            break;
        if (d.output == Output::Cmyk)
            cmykToBgr(d.scratch.data(), d.rows[done], cinfo->output_width);
        else
            indexedToBgr(cinfo, d.scratch.data(), d.rows[done]);
        ++done;
    }
    if (cinfo->output_scanline >= cinfo->output_height)
        jpeg_finish_decompress(cinfo);
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
        d.run(openAndReadHeader);
        jpeg_decompress_struct &c = d.cinfo;
        m_width = int(c.image_width);
        m_height = int(c.image_height);
        chooseOutput(reading);
        // Before the library allocates its own buffers for the picture.
        if (reading.use == PictureUse::Whole) {
            checkPictureSize(c.image_width, c.image_height);
        } else if (jpeg_has_multiple_scans(&c)) {
            m_held = coefficientBytes(c);
            checkHeldBytes(m_held);
        }
        d.scratch.resize(d.output == Output::Direct ? 0 : size_t(c.image_width) * 4);
        d.run(startDecoding);
    }

    void readRows(uint8_t *out, ptrdiff_t stride, int count) override
    {
        Decoder &d = *m_decoder;
        d.rows.resize(size_t(count));
        for (int i = 0; i < count; ++i)
            d.rows[size_t(i)] = out + i * stride;
        d.run(decodeRows);
    }

    uint64_t heldBytes() const override { return m_held; }

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

    std::unique_ptr<Decoder> m_decoder;
    uint64_t m_held = 0;
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
    // The header alone; decoded when a surface is made.
    MemorySource source(file);
    Decoder d(source);
    d.run(openAndReadHeader);
    data->width = int(d.cinfo.image_width);
    data->height = int(d.cinfo.image_height);
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
    const std::unique_ptr<PictureStream> rows = openJpegStream(source, reading);
    Surface surface(rows->width(), rows->height(), PixelFormat::Rgb24);
    // Every row is decoded (or the decoding fails), so the surface is not
    // painted first.
    rows->readRows(surface.pixelsForOverwrite(), surface.stride(), surface.height());
    return surface;
}

} // namespace masume
