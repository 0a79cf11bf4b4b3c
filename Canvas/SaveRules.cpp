#include "Canvas/SaveRules.h"

#include "common/Error.h"
#include "common/Messages.h"
#include "picture/PictureFile.h"

#include <sys/stat.h>

namespace masume {

bool fileExists(const std::string &fileName)
{
    struct stat info;
    return ::stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string lowerDotExtension(std::string_view fileName)
{
    std::string extension = dottedExtensionOf(fileName);
    // Only ASCII letters can fold onto ".jpg" and ".jpeg", so ASCII folding
    // decides exactly what the comparison below needs.
    for (char &c : extension)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return extension;
}

SaveFormat saveFormatFor(std::string &fileName)
{
    // A folder's name, or one ending in "/", would otherwise get ".bmp"
    // appended and a hidden file written inside the folder.
    struct stat info;
    if ((!fileName.empty() && fileName.back() == '/')
        || (::stat(fileName.c_str(), &info) == 0 && S_ISDIR(info.st_mode)))
        raise(msg::CannotCreate, {fileName});
    const std::string extension = lowerDotExtension(fileName);
    if (extension == ".jpg" || extension == ".jpeg")
        return SaveFormat::Jpeg;
    if (extension.empty())
        fileName += ".bmp";
    return SaveFormat::Bmp;
}

void writePictureFile(const Surface &picture, std::string &fileName)
{
    if (saveFormatFor(fileName) == SaveFormat::Jpeg)
        writeJpegFile(picture, fileName);
    else
        writeBmpFile(picture, fileName);
}

} // namespace masume
