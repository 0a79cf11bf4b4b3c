#pragma once

#include "raster/Colour.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace masume::batch {

// What masume-batch was asked to do.
struct BatchOptions
{
    int32_t kind = 0;
    int32_t sizeH = 32;
    int32_t sizeV = 32;
    Colour colour = Black;
    bool withGrid = true;
    // JPEG photos turned upright as their Exif block says (setJpegAutoOrient);
    // --no-auto-orient keeps them as stored.
    bool autoOrient = true;
    std::optional<std::string> output; // -o, for a single input
    std::optional<std::string> outputDir; // --out-dir
    std::vector<std::string> inputs;
    // Files processed at the same time; 0: as many as the cores the process
    // may run on (defaultJobs).
    int jobs = 0;
    bool help = false;
};

// The arguments that are unusable, with the reason in English for the usage
// message.
struct UsageError
{
    std::string reason;
};

// Parses the arguments after the program name. Returns the options, or the
// reason they cannot be used.
std::variant<BatchOptions, UsageError> parseArguments(const std::vector<std::string> &args);

// "--kind": a name (none, square, diamond, rows, columns, hex-rows,
// hex-columns) or a kind code 0..7.
std::optional<int32_t> parseKind(const std::string &text);
// "--size WxH": two numbers as the size boxes take them (decimal, or hex
// with "$", "x", "0x"), joined by one "x" or "X". The split must be the
// only one that leaves two numbers.
std::optional<std::pair<int32_t, int32_t>> parseSize(const std::string &text);
// "--color RRGGBB": six hex digits, red first.
std::optional<Colour> parseColour(const std::string &text);
// "--jobs N": a decimal number from 1 to MaxJobs.
std::optional<int> parseJobs(const std::string &text);
inline constexpr int MaxJobs = 1024;

// The cores this process may run on (its CPU affinity), at least 1.
int defaultJobs();

const char *usageLine();
// The usage line and what each option means, for --help.
const char *usageHelp();

} // namespace masume::batch
