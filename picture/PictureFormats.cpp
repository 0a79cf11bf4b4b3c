#include "picture/PictureFile.h"

#include <cctype>

namespace masume {

const std::vector<PictureFormat> &pictureFormats()
{
    // The JPEG rows come last, as the JPEG support adds them at start-up
    // after the built-in kinds.
    static const std::vector<PictureFormat> table {
        {"wmf", "メタファイル", PictureKind::Metafile},
        {"emf", "エンハンス メタファイル", PictureKind::Metafile},
        {"ico", "アイコン", PictureKind::Icon},
        {"bmp", "ビットマップ", PictureKind::Bitmap},
        {"jpeg", "JPEG イメージファイル", PictureKind::Jpeg},
        {"jpg", "JPEG イメージファイル", PictureKind::Jpeg},
    };
    return table;
}

const PictureFormat *findPictureFormat(std::string_view extension)
{
    std::string lower(extension);
    for (char &c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const auto &table = pictureFormats();
    for (auto it = table.rbegin(); it != table.rend(); ++it)
        if (it->extension == lower)
            return &*it;
    return nullptr;
}

std::string pictureDialogFilter()
{
    // Entries from the last row to the first, each "description (*.ext)|*.ext";
    // a leading "all files" entry joins their patterns when there are several.
    std::string entries;
    std::string patterns;
    int count = 0;
    const auto &table = pictureFormats();
    for (auto it = table.rbegin(); it != table.rend(); ++it) {
        if (count > 0) {
            entries += '|';
            patterns += ';';
        }
        entries += it->description + " (*." + it->extension + ")|*." + it->extension;
        patterns += "*." + it->extension;
        ++count;
    }
    if (count > 1)
        return "すべてのファイル (" + patterns + ")|" + patterns + "|" + entries;
    return entries;
}

std::string dottedExtensionOf(std::string_view fileName)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    const size_t slash = fileName.rfind('/');
    if (slash != std::string_view::npos && slash > dot)
        return {};
    return std::string(fileName.substr(dot));
}

std::string extensionOf(std::string_view fileName)
{
    const std::string dotted = dottedExtensionOf(fileName);
    return dotted.empty() ? dotted : dotted.substr(1);
}

std::optional<PictureKind> pictureKindOfContent(std::span<const uint8_t> start)
{
    if (start.size() >= 2 && start[0] == 'B' && start[1] == 'M')
        return PictureKind::Bitmap;
    if (start.size() >= 2 && start[0] == 0xFF && start[1] == 0xD8)
        return PictureKind::Jpeg;
    return std::nullopt;
}

} // namespace masume
