#include "batch/TextLayout.h"

#include <algorithm>
#include <cstdint>

namespace masume::batch {

namespace {

struct Character
{
    char32_t code;
    size_t bytes;
};

// The character at the start of text, which is not empty; an invalid
// sequence reads as its first byte alone.
Character characterAt(std::string_view text)
{
    const auto byte = [&](size_t i) { return uint8_t(text[i]); };
    const uint8_t lead = byte(0);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length <= 1 || length > text.size())
        return {lead, 1};
    char32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {lead, 1};
        code = code << 6 | (byte(i) & 0x3F);
    }
    return {code, length};
}

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E)
        || (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF)
        || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF)
        || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
        || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool isOneOf(char32_t c, std::u32string_view set)
{
    return set.find(c) != std::u32string_view::npos;
}

// A line may not begin with these, nor end with the opening ones.
constexpr std::u32string_view Closing = U"、。，．・：；？！）」』】〉》〕ー"
                                        U"ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ";
constexpr std::u32string_view Opening = U"（「『【〈《〔";

bool mayBreakBetween(char32_t before, char32_t after)
{
    return isWide(before) && isWide(after) && !isOneOf(after, Closing) && !isOneOf(before, Opening);
}

// A piece that never breaks inside: a run of characters up to the next
// break opportunity, with the blanks that follow it.
struct Piece
{
    std::string_view text;
    size_t width; // without the blanks
    size_t blanks;
};

std::vector<Piece> piecesOf(std::string_view text)
{
    std::vector<Piece> pieces;
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = at;
        size_t width = 0;
        char32_t previous = 0;
        while (at < text.size() && text[at] != ' ') {
            const Character c = characterAt(text.substr(at));
            if (at > start && mayBreakBetween(previous, c.code))
                break;
            width += isWide(c.code) ? 2 : 1;
            previous = c.code;
            at += c.bytes;
        }
        const size_t end = at;
        while (at < text.size() && text[at] == ' ')
            ++at;
        pieces.push_back({text.substr(start, end - start), width, at - end});
    }
    return pieces;
}

} // namespace

size_t displayWidth(std::string_view text)
{
    size_t width = 0;
    while (!text.empty()) {
        const Character c = characterAt(text);
        width += isWide(c.code) ? 2 : 1;
        text.remove_prefix(c.bytes);
    }
    return width;
}

std::vector<std::string> wrapLines(std::string_view text, size_t width)
{
    std::vector<std::string> lines;
    std::string line;
    size_t lineWidth = 0, pendingBlanks = 0;
    for (const Piece &piece : piecesOf(text)) {
        if (!line.empty() && lineWidth + pendingBlanks + piece.width > width) {
            lines.push_back(std::move(line));
            line.clear();
            lineWidth = pendingBlanks = 0;
        }
        if (!line.empty()) {
            line.append(pendingBlanks, ' ');
            lineWidth += pendingBlanks;
        }
        line += piece.text;
        lineWidth += piece.width;
        pendingBlanks = piece.blanks;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(std::move(line));
    return lines;
}

} // namespace masume::batch
