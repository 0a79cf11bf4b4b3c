#include "batch/BatchTexts.h"

#include "batch/TextLayout.h"

namespace masume::batch {

namespace {

constexpr const char *Program = "masume-batch";
// The help fits a terminal of 80 columns.
constexpr size_t HelpWidth = 79;
// An option's meaning begins in this column, after two blanks and the
// option.
constexpr size_t MeaningColumn = 19;

void appendLines(std::string &out, const std::vector<std::string> &lines, size_t indent)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out.append(indent, ' ');
        out += lines[i] + '\n';
    }
}

// "usage: masume-batch" and the synopsis's items after it, wrapped at
// items, the later lines under the first item.
void appendUsage(std::string &out, Language language)
{
    const std::string head = say(language, texts::Usage, {Program});
    const size_t indent = displayWidth(head) + 1;
    std::string line = head;
    size_t width = displayWidth(head);
    for (const char *item : texts::Synopsis) {
        const size_t itemWidth = displayWidth(item);
        if (width + 1 + itemWidth > HelpWidth) {
            out += line + '\n';
            line = std::string(indent - 1, ' ');
            width = indent - 1;
        }
        line += std::string(" ") + item;
        width += 1 + itemWidth;
    }
    out += line + '\n';
}

void appendOption(std::string &out, const OptionHelp &option, Language language)
{
    std::string head = std::string("  ") + option.spelling;
    const size_t headWidth = displayWidth(head);
    if (headWidth + 1 > MeaningColumn) {
        out += head + '\n';
        head.clear();
    }
    out += head + std::string(MeaningColumn - displayWidth(head), ' ');
    appendLines(out, wrapLines(option.meaning.in(language), HelpWidth - MeaningColumn),
                MeaningColumn);
}

void appendParagraph(std::string &out, const Text &text, Language language)
{
    out += '\n';
    appendLines(out, wrapLines(text.in(language), HelpWidth), 0);
}

} // namespace

std::string say(Language language, const Text &text, std::initializer_list<MessageArg> fields)
{
    return formatMessage(text.in(language), fields);
}

std::string usageLine(Language language)
{
    std::string synopsis = Program;
    for (const char *item : texts::Synopsis)
        synopsis += std::string(" ") + item;
    return say(language, texts::Usage, {synopsis});
}

std::string usageHelp(Language language)
{
    std::string out;
    appendUsage(out, language);
    appendParagraph(out, texts::About, language);
    out += '\n';
    for (const OptionHelp &option : texts::Options)
        appendOption(out, option, language);
    appendParagraph(out, texts::Reports, language);
    appendParagraph(out, texts::ExitStatus, language);
    return out;
}

} // namespace masume::batch
