#pragma once

#include "batch/BatchTexts.h"
#include "picture/JpegEncoder.h"
#include "raster/Colour.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace masume::batch {

// The formats masume-batch writes.
enum class OutputFormat { Bmp, Jpeg, Png };

// The name that stands for standard input (as an input) and standard
// output (as -o's value).
inline constexpr const char *StandardStream = "-";

// What masume-batch was asked to do.
struct BatchOptions
{
    int32_t kind = 0;
    int32_t sizeH = 32;
    int32_t sizeV = 32;
    Colour colour = Black;
    bool withGrid = true;
    // The grid alone, as an RGBA PNG (--grid-only).
    bool gridOnly = false;
    // JPEG photos turned upright as their Exif block says (setJpegAutoOrient);
    // --no-auto-orient keeps them as stored.
    bool autoOrient = true;
    std::optional<std::string> output; // -o, for a single input; "-": standard output
    std::optional<std::string> outputDir; // --out-dir
    // --format: the format of standard output, and of each output under
    // --out-dir (which then takes the format's extension).
    std::optional<OutputFormat> format;
    JpegSettings jpeg; // --quality, --sampling
    std::vector<std::string> inputs; // "-": standard input
    // Files processed at the same time; 0: as many as the cores the process
    // may run on (defaultJobs).
    int jobs = 0;
    bool help = false;
    // The language of the run's own messages (not an option: the locale).
    Language language = Language::English;
};

// The arguments that are unusable: the reason, in both languages, for the
// usage message.
class UsageError
{
public:
    UsageError(const Text &text, std::initializer_list<MessageArg> fields = {})
        : m_english(formatMessage(text.english, fields))
        , m_japanese(formatMessage(text.japanese, fields))
    {
    }
    const std::string &reason(Language language) const
    {
        return language == Language::Japanese ? m_japanese : m_english;
    }

private:
    std::string m_english, m_japanese;
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
// "--format": bmp, jpeg or png.
std::optional<OutputFormat> parseFormat(const std::string &text);
// "--quality N": a decimal number from 1 to 100.
std::optional<int> parseQuality(const std::string &text);
// "--sampling": 4:2:0 (false) or 4:4:4 (true, full chroma).
std::optional<bool> parseSampling(const std::string &text);
// "--jobs N": a decimal number from 1 to MaxJobs.
std::optional<int> parseJobs(const std::string &text);
inline constexpr int MaxJobs = 1024;

// The cores this process may run on (its CPU affinity), at least 1.
int defaultJobs();

} // namespace masume::batch
