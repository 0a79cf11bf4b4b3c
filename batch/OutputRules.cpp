#include "batch/OutputRules.h"

#include "Canvas/SaveRules.h"

namespace masume::batch {

const char *extensionFor(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Jpeg:
        return ".jpg";
    case OutputFormat::Png:
        return ".png";
    case OutputFormat::Bmp:
        break;
    }
    return ".bmp";
}

OutputFormat outputFormatFor(std::string &name, std::optional<OutputFormat> given)
{
    if (name == StandardStream && given)
        return *given;
    if (lowerDotExtension(name) == ".png") {
        // The desktop program's checks of the name, which a name with an
        // extension passes unchanged.
        saveFormatFor(name);
        return OutputFormat::Png;
    }
    return saveFormatFor(name) == SaveFormat::Jpeg ? OutputFormat::Jpeg : OutputFormat::Bmp;
}

} // namespace masume::batch
