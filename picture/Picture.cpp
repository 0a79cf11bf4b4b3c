#include "common/Error.h"
#include "common/Messages.h"
#include "picture/PictureData.h"

#include <cctype>

namespace masume {

PictureKind Picture::kind() const
{
    return data ? data->kind : PictureKind::Bitmap;
}

int Picture::width() const
{
    return data ? data->width : 0;
}

int Picture::height() const
{
    return data ? data->height : 0;
}

Picture readPictureBytes(PictureKind kind, std::vector<uint8_t> bytes)
{
    switch (kind) {
    case PictureKind::Bitmap:
        return readBitmap(bytes);
    case PictureKind::Jpeg:
        return readJpeg(std::move(bytes));
    case PictureKind::Icon:
        return readIcon(bytes);
    case PictureKind::Metafile:
        return readMetafile(bytes);
    }
    return {};
}

Picture readPicture(const std::string &fileName)
{
    std::string extension = extensionOf(fileName);
    for (char &c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const PictureFormat *format = findPictureFormat(extension);
    if (!format)
        raise(msg::UnknownExtension, {extension});
    return readPictureBytes(format->kind, readFileBytes(fileName));
}

Surface makeSurface(const Picture &picture)
{
    if (!picture.data)
        return Surface();
    const Picture::Data &data = *picture.data;
    switch (data.kind) {
    case PictureKind::Bitmap:
        // The reader stores 24-bit pixels; the copy shares them.
        return data.bitmap;
    case PictureKind::Jpeg:
        return decodeJpeg(data);
    case PictureKind::Icon:
        raise(msg::CannotAssign, {"TIcon", "TBitmap"});
    case PictureKind::Metafile:
        raise(msg::CannotAssign, {"TMetafile", "TBitmap"});
    }
    return Surface();
}

} // namespace masume
