#include "picture/AtomicFile.h"
#include "picture/JpegFence.h"
#include "picture/PictureFile.h"

#include <cstdlib>
#include <vector>

namespace masume {

namespace {

constexpr int Quality = 90;

// One encoding into memory. The library object and its output buffer are
// released with this, on every path.
struct Encoder
{
    jpeg_compress_struct cinfo {};
    JpegErrors errors {};
    bool created = false;
    unsigned char *buffer = nullptr; // malloc'ed by the library
    unsigned long size = 0;
    JDIMENSION width = 0;
    JDIMENSION height = 0;
    JSAMPROW *rows = nullptr; // top down, blue, green, red

    Encoder() { installJpegErrors(*reinterpret_cast<jpeg_common_struct *>(&cinfo), errors); }
    ~Encoder()
    {
        if (created)
            jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
    Encoder(const Encoder &) = delete;
    Encoder &operator=(const Encoder &) = delete;
};

// A library step (see runJpegStep): baseline JFIF 1.01 without density
// (unit 0, 1:1), quality 90 limited to baseline tables, float DCT, and
// otherwise the library's defaults: 2x2 luminance sampling, standard
// Huffman tables, no restart markers.
void encode(void *context)
{
    Encoder &e = *static_cast<Encoder *>(context);
    jpeg_compress_struct *c = &e.cinfo;
    e.created = true;
    jpeg_create_compress(c);
    jpeg_mem_dest(c, &e.buffer, &e.size);
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
    jpeg_set_quality(c, Quality, TRUE);
    jpeg_start_compress(c, TRUE);
    // The memory destination never suspends; a call taking no rows would
    // be a library fault, which jpeg_finish_compress then reports.
    while (c->next_scanline < c->image_height)
        if (jpeg_write_scanlines(c, e.rows + c->next_scanline, c->image_height - c->next_scanline)
            == 0)
            break;
    jpeg_finish_compress(c);
}

} // namespace

void writeJpegFile(const Surface &surface, const std::string &fileName)
{
    if (surface.isEmpty()) {
        writeWholeFile(fileName, {});
        return;
    }
    Surface colour = surface;
    colour.convertTo24();
    Encoder e;
    e.width = JDIMENSION(colour.width());
    e.height = JDIMENSION(colour.height());
    std::vector<JSAMPROW> rows(e.height);
    for (JDIMENSION y = 0; y < e.height; ++y)
        rows[y] = const_cast<JSAMPROW>(colour.constScanLine(int(y)));
    e.rows = rows.data();
    if (const int code = runJpegStep(e.errors, encode, &e))
        raiseJpegError(code);
    writeWholeFile(fileName, {e.buffer, size_t(e.size)});
}

} // namespace masume
