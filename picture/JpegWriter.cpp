#include "common/Error.h"
#include "common/Messages.h"
#include "picture/JpegEncoder.h"
#include "picture/JpegFence.h"
#include "picture/PictureFile.h"
#include "picture/SurfaceWriting.h"

#include <jerror.h>

#include <array>
#include <vector>

namespace masume {

namespace {

// The library's output, passed on to the sink as it comes: the library
// fills our buffer and hands it back full. The buffer is ours and lives as
// long as the library object; the library never frees or replaces it. A
// write the sink refuses is recorded and ends the encoding through the
// library's error exit (see JpegFence.h), since no exception may pass
// through the library's frames; the caller raises the write error outside.
struct SinkDestination
{
    // The library's view of this object: it must come first.
    jpeg_destination_mgr manager {};
    ByteSink *sink = nullptr;
    bool writeFailed = false;
    std::array<JOCTET, 1 << 17> buffer;
};

SinkDestination &destinationOf(j_compress_ptr c)
{
    return *reinterpret_cast<SinkDestination *>(c->dest);
}

void startOutput(j_compress_ptr c)
{
    SinkDestination &d = destinationOf(c);
    d.manager.next_output_byte = d.buffer.data();
    d.manager.free_in_buffer = d.buffer.size();
}

void passOn(j_compress_ptr c, size_t bytes)
{
    SinkDestination &d = destinationOf(c);
    if (!d.sink->tryWrite(d.buffer.data(), bytes)) {
        d.writeFailed = true;
        ERREXIT(c, JERR_FILE_WRITE);
    }
}

// Called with the whole buffer full, whatever free_in_buffer says.
boolean emptyOutput(j_compress_ptr c)
{
    passOn(c, destinationOf(c).buffer.size());
    startOutput(c);
    return TRUE;
}

void finishOutput(j_compress_ptr c)
{
    const SinkDestination &d = destinationOf(c);
    passOn(c, d.buffer.size() - d.manager.free_in_buffer);
}

} // namespace

// One encoding. The library object is released with this, on every path.
struct JpegEncoder::Library
{
    jpeg_compress_struct cinfo {};
    JpegErrors errors {};
    SinkDestination destination;
    bool created = false;
    bool failed = false;
    JpegSettings settings;
    JDIMENSION width = 0, height = 0;
    // The rows of one writeRows call, for the library.
    std::vector<JSAMPROW> rows;
    int count = 0;

    Library()
    {
        installJpegErrors(*reinterpret_cast<jpeg_common_struct *>(&cinfo), errors);
        destination.manager.init_destination = startOutput;
        destination.manager.empty_output_buffer = emptyOutput;
        destination.manager.term_destination = finishOutput;
    }
    ~Library()
    {
        if (created)
            jpeg_destroy_compress(&cinfo);
    }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    void run(void (*step)(void *))
    {
        if (failed)
            raise(msg::WriteError);
        if (const int code = runJpegStep(errors, step, this)) {
            failed = true;
            if (destination.writeFailed)
                raise(msg::WriteError);
            raiseJpegError(code);
        }
    }
};

namespace {

using Library = JpegEncoder::Library;

// Library steps (see runJpegStep): plain C code only.

// Baseline JFIF 1.01 without density (unit 0, 1:1), the float DCT, the
// quality's tables limited to baseline values, and otherwise the library's
// defaults: standard Huffman tables, no restart markers, 2 x 2 luminance
// sampling unless full chroma is asked for.
void start(void *context)
{
    Library &e = *static_cast<Library *>(context);
    jpeg_compress_struct *c = &e.cinfo;
    e.created = true;
    jpeg_create_compress(c);
    c->dest = &e.destination.manager;
    c->image_width = e.width;
    c->image_height = e.height;
    c->input_components = 3;
    c->in_color_space = JCS_EXT_BGR; // the surface's own byte order
    jpeg_set_defaults(c);
    c->dct_method = JDCT_FLOAT;
    c->write_JFIF_header = TRUE;
    c->JFIF_major_version = 1;
    c->JFIF_minor_version = 1;
    c->density_unit = 0;
    c->X_density = 1;
    c->Y_density = 1;
    jpeg_set_quality(c, e.settings.quality, TRUE);
    if (e.settings.fullChroma)
        c->comp_info[0].h_samp_factor = c->comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(c, TRUE);
}

void passRows(void *context)
{
    Library &e = *static_cast<Library *>(context);
    // The destination never suspends, so every row is taken; a call taking
    // none would be a library fault, which jpeg_finish_compress reports.
    JDIMENSION done = 0;
    while (done < JDIMENSION(e.count)) {
        const JDIMENSION n = jpeg_write_scanlines(&e.cinfo, e.rows.data() + done, e.count - done);
        if (n == 0)
            break;
        done += n;
    }
}

void finishFile(void *context)
{
    jpeg_finish_compress(&static_cast<Library *>(context)->cinfo);
}

} // namespace

JpegEncoder::JpegEncoder(ByteSink &sink, int width, int height, JpegSettings settings)
    : m_library(std::make_unique<Library>())
{
    m_library->destination.sink = &sink;
    m_library->settings = settings;
    m_library->width = JDIMENSION(width);
    m_library->height = JDIMENSION(height);
    m_library->run(start);
}

JpegEncoder::~JpegEncoder() = default;

void JpegEncoder::writeRows(int, const uint8_t *rows, ptrdiff_t stride, int count)
{
    Library &e = *m_library;
    e.rows.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        e.rows[size_t(i)] = const_cast<JSAMPROW>(rows + i * stride);
    e.count = count;
    e.run(passRows);
}

void JpegEncoder::finish()
{
    m_library->run(finishFile);
}

void writeJpegFile(const Surface &surface, const std::string &fileName)
{
    writeSurfaceTopDown(surface, fileName, [](ByteSink &sink, int width, int height) {
        return std::make_unique<JpegEncoder>(sink, width, height);
    });
}

} // namespace masume
