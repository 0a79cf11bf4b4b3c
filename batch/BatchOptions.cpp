#include "batch/BatchOptions.h"

#include "Grid/GridKinds.h"
#include "common/Error.h"
#include "common/NumberConversion.h"

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

const char *usageLine()
{
    return "usage: masume-batch [--kind K] [--size WxH] [--color RRGGBB] [--without-grid] "
           "[--no-auto-orient] [--jobs N] (-o OUT | --out-dir DIR) INPUT...";
}

const char *usageHelp()
{
    return "usage: masume-batch [--kind K] [--size WxH] [--color RRGGBB] [--without-grid]\n"
           "                    [--no-auto-orient] [--jobs N] (-o OUT | --out-dir DIR) INPUT...\n"
           "\n"
           "Lays masume's grid over BMP and JPEG pictures and writes them as masume saves\n"
           "them: a name ending in .jpg or .jpeg (any case) gives a JPEG of quality 90,\n"
           "a name without extension gets .bmp appended, any other name a 24-bit BMP.\n"
           "Existing files are replaced as a whole.\n"
           "\n"
           "  --kind K         none, square, diamond, rows, columns, hex-rows, hex-columns,\n"
           "                   or the kind code 0..7 (default none)\n"
           "  --size WxH       cell width and height in pixels, 32-bit integers, decimal or\n"
           "                   hex with $ or 0x (default 32x32)\n"
           "  --color RRGGBB   grid colour, six hex digits, red first (default 000000)\n"
           "  --without-grid   write the picture without the grid\n"
           "  --no-auto-orient keep JPEG photos as stored; by default a photo whose Exif\n"
           "                   block says it is stored turned or mirrored is turned\n"
           "                   upright first, as masume shows it\n"
           "  -j, --jobs N     process up to N files at the same time (default: the number\n"
           "                   of cores this process may use); fewer run at once when\n"
           "                   their pictures would not fit in memory together\n"
           "  -o OUT           the output of a single input\n"
           "  --out-dir DIR    write each input under its own name into DIR\n"
           "  --help           this text\n"
           "\n"
           "Failures are reported as \"masume-batch: FILE: MESSAGE\", in the order of the\n"
           "inputs whatever the number of jobs; the outputs do not depend on it either.\n"
           "On a terminal a progress line counts the finished files.\n"
           "\n"
           "Exit status: 0 when every input was written, 1 when any failed, 2 for\n"
           "unusable arguments.\n";
}

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

std::optional<int> parseJobs(const std::string &text)
{
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > MaxJobs)
        return std::nullopt;
    return value;
}

int defaultJobs()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return std::max(CPU_COUNT(&set), 1);
}

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
            || name == "-o" || name == "--out-dir" || jobs;
        if (!takesValue)
            return UsageError {"unknown option " + a};
        if (!inlineValue) {
            if (i + 1 >= args.size())
                return UsageError {name + " needs a value"};
            value = args[++i];
        }
        if (name == "--kind") {
            const auto k = parseKind(value);
            if (!k)
                return UsageError {"unknown grid kind " + value};
            o.kind = *k;
        } else if (name == "--size") {
            const auto s = parseSize(value);
            if (!s)
                return UsageError {"size must be WxH with two 32-bit integers: " + value};
            o.sizeH = s->first;
            o.sizeV = s->second;
        } else if (name == "--color") {
            const auto c = parseColour(value);
            if (!c)
                return UsageError {"colour must be six hex digits RRGGBB: " + value};
            o.colour = *c;
        } else if (jobs) {
            const auto j = parseJobs(value);
            if (!j)
                return UsageError {"jobs must be a number from 1 to " + std::to_string(MaxJobs)
                                   + ": " + value};
            o.jobs = *j;
        } else if (name == "-o") {
            if (o.output)
                return UsageError {"-o given twice"};
            o.output = value;
        } else {
            if (o.outputDir)
                return UsageError {"--out-dir given twice"};
            o.outputDir = value;
        }
    }
    if (o.inputs.empty())
        return UsageError {"no input files"};
    if (o.output.has_value() == o.outputDir.has_value())
        return UsageError {"give either -o OUT or --out-dir DIR"};
    if (o.output && o.inputs.size() != 1)
        return UsageError {"-o names the output of a single input; use --out-dir for several"};
    return o;
}

} // namespace masume::batch
