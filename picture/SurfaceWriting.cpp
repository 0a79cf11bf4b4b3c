#include "picture/SurfaceWriting.h"

#include "picture/AtomicFile.h"
#include "raster/RowReader.h"
#include "raster/Surface.h"

namespace masume {

void writeSurfaceTopDown(const Surface &surface, const std::string &fileName,
                         const EncoderMaker &makeEncoder)
{
    if (surface.isEmpty()) {
        writeWholeFile(fileName, {});
        return;
    }
    Surface colour = surface;
    colour.convertTo24();
    RowReader rows(colour);
    AtomicFile file(fileName);
    const std::unique_ptr<PictureEncoder> encoder
        = makeEncoder(file, colour.width(), colour.height());
    for (int y = 0; y < colour.height(); ++y)
        encoder->writeRows(y, rows.row(y), colour.stride(), 1);
    encoder->finish();
    file.commit();
}

} // namespace masume
