#include "common/Error.h"
#include "common/Messages.h"
#include "picture/AtomicFile.h"
#include "picture/JpegFence.h"
#include "picture/PictureFile.h"
#include "raster/RowReader.h"

#include <jerror.h>

#include <array>
#include <memory>

namespace masume {

namespace {

constexpr int Quality = 90;

// The library's output, written into the file as it comes: the library
// fills our buffer and hands it back full, and we pass it on. The buffer
// is ours and lives as long as the library object; the library never frees
// or replaces it. A write the file system refuses is recorded and ends the
// encoding through the library's error exit (see JpegFence.h), since no
// exception may pass through the library's frames; the caller raises the
// write error outside.
struct FileDestination
{
    // The library's view of this object: it must come first.
    jpeg_destination_mgr manager {};
    AtomicFile *file = nullptr;
    bool writeFailed = false;
    std::array<JOCTET, 1 << 17> buffer;
};

FileDestination &destinationOf(j_compress_ptr c)
{
    return *reinterpret_cast<FileDestination *>(c->dest);
}

void startOutput(j_compress_ptr c)
{
    FileDestination &d = destinationOf(c);
    d.manager.next_output_byte = d.buffer.data();
    d.manager.free_in_buffer = d.buffer.size();
}

void passOn(j_compress_ptr c, size_t bytes)
{
    FileDestination &d = destinationOf(c);
    if (!d.file->tryWrite(d.buffer.data(), bytes)) {
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
    const FileDestination &d = destinationOf(c);
    passOn(c, d.buffer.size() - d.manager.free_in_buffer);
}

// One encoding. The library object is released with this, on every path.
struct Encoder
{
    jpeg_compress_struct cinfo {};
    JpegErrors errors {};
    FileDestination destination;
    bool created = false;
    JDIMENSION width = 0;
    JDIMENSION height = 0;
    // The surface's rows, top down, blue, green, red: read one at a time,
    // so that a composite that was never stored whole is built row by row.
    RowReader *rows = nullptr;

    Encoder()
    {
        installJpegErrors(*reinterpret_cast<jpeg_common_struct *>(&cinfo), errors);
        destination.manager.init_destination = startOutput;
        destination.manager.empty_output_buffer = emptyOutput;
        destination.manager.term_destination = finishOutput;
    }
    ~Encoder()
    {
        if (created)
            jpeg_destroy_compress(&cinfo);
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
    jpeg_set_quality(c, Quality, TRUE);
    jpeg_start_compress(c, TRUE);
    // The destination never suspends; a call taking no rows would be a
    // library fault, which jpeg_finish_compress then reports.
    while (c->next_scanline < c->image_height) {
        // Plain code: builds the row in the reader's own buffer, allocates
        // nothing and cannot fail.
        JSAMPROW row = const_cast<JSAMPROW>(e.rows->row(int(c->next_scanline)));
        if (jpeg_write_scanlines(c, &row, 1) == 0)
            break;
    }
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
    auto e = std::make_unique<Encoder>();
    e->width = JDIMENSION(colour.width());
    e->height = JDIMENSION(colour.height());
    RowReader rows(colour);
    e->rows = &rows;

    AtomicFile file(fileName);
    e->destination.file = &file;
    if (const int code = runJpegStep(e->errors, encode, e.get())) {
        if (e->destination.writeFailed)
            raise(msg::WriteError);
        raiseJpegError(code);
    }
    file.commit();
}

} // namespace masume
