#include "batch/BatchOptions.h"

#include "Grid/GridKinds.h"
#include "common/Error.h"
#include "common/NumberConversion.h"
#include "picture/PictureFile.h"

#include <algorithm>
#include <array>
#include <sched.h>

namespace masume::batch {

namespace {

std::optional<int32_t> number(const std::string &text)
{
    try {
        return strToInt(text);
    } catch (const Error &) {
        return std::nullopt;
    }
}

} // namespace

std::optional<int32_t> parseKind(const std::string &text)
{
    for (const GridKindRow &kind : GridKindTable)
        if (text == kind.batchName)
            return kind.code;
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '7')
        return int32_t(text[0] - '0');
    return std::nullopt;
}

std::optional<std::pair<int32_t, int32_t>> parseSize(const std::string &text)
{
    std::optional<std::pair<int32_t, int32_t>> found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != 'x' && text[i] != 'X')
            continue;
        const auto w = number(text.substr(0, i));
        const auto h = number(text.substr(i + 1));
        if (!w || !h)
            continue;
        if (found)
            return std::nullopt; // ambiguous
        found = std::pair {*w, *h};
    }
    return found;
}

std::optional<Colour> parseColour(const std::string &text)
{
    if (text.size() != 6)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | uint32_t(d);
    }
    return rgb(value >> 16, value >> 8, value);
}

namespace {

// Plain decimal digits (no sign, no spaces) of a value from low to high,
// 1 <= low <= high < 10000.
std::optional<int> decimalIn(const std::string &text, int low, int high)
{
    if (text.empty() || text.size() > std::to_string(high).size())
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int> parseJobs(const std::string &text)
{
    return decimalIn(text, 1, MaxJobs);
}

int defaultJobs()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return std::max(CPU_COUNT(&set), 1);
}

std::optional<OutputFormat> parseFormat(const std::string &text)
{
    if (text == "bmp")
        return OutputFormat::Bmp;
    if (text == "jpeg" || text == "jpg")
        return OutputFormat::Jpeg;
    if (text == "png")
        return OutputFormat::Png;
    return std::nullopt;
}

std::optional<int> parseQuality(const std::string &text)
{
    return decimalIn(text, 1, 100);
}

std::optional<bool> parseSampling(const std::string &text)
{
    if (text == "4:2:0")
        return false;
    if (text == "4:4:4")
        return true;
    return std::nullopt;
}

namespace {

bool endsInPng(const std::string &name)
{
    std::string extension = dottedExtensionOf(name);
    for (char &c : extension)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return extension == ".png";
}

// The combinations of options that cannot be used, after all were read.
std::optional<UsageError> combinationError(const BatchOptions &o)
{
    if (o.inputs.empty())
        return UsageError {texts::NoInputs};
    if (o.output.has_value() == o.outputDir.has_value())
        return UsageError {texts::NoOutput};
    if (o.output && o.inputs.size() != 1)
        return UsageError {texts::SeveralInputsForO};
    if (std::count(o.inputs.begin(), o.inputs.end(), StandardStream) > 1)
        return UsageError {texts::StdinTwice};
    if (o.outputDir && std::count(o.inputs.begin(), o.inputs.end(), StandardStream) > 0)
        return UsageError {texts::StdinWithOutDir};
    const bool toStdout = o.output == StandardStream;
    if (toStdout && !o.format)
        return UsageError {texts::StdoutNeedsFormat};
    if (o.output && !toStdout && o.format)
        return UsageError {texts::FormatWithName};
    if (o.gridOnly && !o.withGrid)
        return UsageError {texts::GridOnlyWithoutGrid};
    const bool pngOut
        = o.format ? *o.format == OutputFormat::Png : o.output && endsInPng(*o.output);
    if (o.gridOnly && !pngOut)
        return UsageError {texts::GridOnlyNeedsPng};
    return std::nullopt;
}

} // namespace

std::variant<BatchOptions, UsageError> parseArguments(const std::vector<std::string> &args)
{
    BatchOptions o;
    bool optionsEnd = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
            o.inputs.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnd = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            o.help = true;
            return o;
        }
        if (a == "--without-grid") {
            o.withGrid = false;
            continue;
        }
        if (a == "--grid-only") {
            o.gridOnly = true;
            continue;
        }
        if (a == "--no-auto-orient") {
            o.autoOrient = false;
            continue;
        }
        // Options with a value, as "--name VALUE" or "--name=VALUE".
        std::string name = a, value;
        const size_t eq = a.find('=');
        const bool inlineValue = a.starts_with("--") && eq != std::string::npos;
        if (inlineValue) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
        }
        const bool jobs = name == "--jobs" || name == "-j";
        const bool takesValue = name == "--kind" || name == "--size" || name == "--color"
            || name == "-o" || name == "--out-dir" || name == "--format" || name == "--quality"
            || name == "--sampling" || jobs;
        if (!takesValue)
            return UsageError {texts::UnknownOption, {a}};
        if (!inlineValue) {
            if (i + 1 >= args.size())
                return UsageError {texts::NeedsValue, {name}};
            value = args[++i];
        }
        if (name == "--kind") {
            const auto k = parseKind(value);
            if (!k)
                return UsageError {texts::UnknownKind, {value}};
            o.kind = *k;
        } else if (name == "--size") {
            const auto s = parseSize(value);
            if (!s)
                return UsageError {texts::BadSize, {value}};
            o.sizeH = s->first;
            o.sizeV = s->second;
        } else if (name == "--color") {
            const auto c = parseColour(value);
            if (!c)
                return UsageError {texts::BadColour, {value}};
            o.colour = *c;
        } else if (name == "--format") {
            const auto f = parseFormat(value);
            if (!f)
                return UsageError {texts::UnknownFormat, {value}};
            o.format = *f;
        } else if (name == "--quality") {
            const auto q = parseQuality(value);
            if (!q)
                return UsageError {texts::BadQuality, {value}};
            o.jpeg.quality = *q;
        } else if (name == "--sampling") {
            const auto full = parseSampling(value);
            if (!full)
                return UsageError {texts::BadSampling, {value}};
            o.jpeg.fullChroma = *full;
        } else if (jobs) {
            const auto j = parseJobs(value);
            if (!j)
                return UsageError {texts::BadJobs, {MaxJobs, value}};
            o.jobs = *j;
        } else if (name == "-o") {
            if (o.output)
                return UsageError {texts::GivenTwice, {name}};
            o.output = value;
        } else {
            if (o.outputDir)
                return UsageError {texts::GivenTwice, {name}};
            o.outputDir = value;
        }
    }
    if (auto error = combinationError(o))
        return *error;
    return o;
}

} // namespace masume::batch
