// masume-batch's own texts: the language chosen from the environment, the
// layout of the help in both languages, and the lines it breaks into.

#include "batch/BatchTexts.h"
#include "batch/Language.h"
#include "batch/TextLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

using namespace masume::batch;

namespace {

Language languageFor(const std::map<std::string, std::string> &environment)
{
    return chooseLanguage([&](const char *name) -> const char * {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    });
}

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The options a help names at the start of its option lines.
std::set<std::string> optionsNamed(const std::string &help)
{
    std::set<std::string> options;
    for (const std::string &line : linesOf(help)) {
        if (!line.starts_with("  -"))
            continue;
        std::istringstream words(line);
        for (std::string word; words >> word && word.starts_with("-");)
            options.insert(word.back() == ',' ? word.substr(0, word.size() - 1) : word);
    }
    return options;
}

// Whether the text has a character of two columns, as Japanese text has.
bool hasWideCharacters(std::string_view text)
{
    size_t characters = 0;
    for (char c : text)
        characters += (uint8_t(c) & 0xC0) != 0x80;
    return displayWidth(text) > characters;
}

} // namespace

// The precedence gettext gives the variables: LC_ALL, LC_MESSAGES, LANG
// for the locale, LANGUAGE before it unless the locale is C.
TEST(BatchLanguage, ChosenAsGettextChoosesACatalogue)
{
    const auto E = Language::English, J = Language::Japanese;
    struct Case
    {
        std::map<std::string, std::string> environment;
        Language language;
    };
    const std::vector<Case> cases = {
        {{}, E},
        {{{"LANG", "ja_JP.UTF-8"}}, J},
        {{{"LANG", "ja_JP.utf8"}}, J},
        {{{"LANG", "ja"}}, J},
        {{{"LANG", "ja_JP"}}, J},
        {{{"LANG", "ja.UTF-8@cjknarrow"}}, J},
        {{{"LANG", "jam_JM.UTF-8"}}, E},
        {{{"LANG", "en_US.UTF-8"}}, E},
        {{{"LANG", "de_DE.UTF-8"}}, E},
        {{{"LANG", "C"}}, E},
        {{{"LANG", "POSIX"}}, E},
        {{{"LC_ALL", "C"}, {"LANG", "ja_JP.UTF-8"}}, E},
        {{{"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}}, J},
        {{{"LC_MESSAGES", "ja_JP.UTF-8"}, {"LANG", "en_US.UTF-8"}}, J},
        {{{"LC_ALL", "en_US.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}, E},
        {{{"LC_ALL", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}, {"LANG", "C"}}, J},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "ja"}}, J},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "en_GB:ja"}}, E},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr:ja_JP:en"}}, J},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "fr:de"}}, J},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", ""}}, J},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", ":ja:"}}, J},
        {{{"LANG", "C"}, {"LANGUAGE", "ja"}}, E},
        {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "ja"}}, E},
        {{{"LANGUAGE", "ja"}}, E},
    };
    for (const Case &c : cases) {
        std::string shown;
        for (const auto &[name, value] : c.environment)
            shown += name + "=" + value + " ";
        EXPECT_EQ(languageFor(c.environment), c.language) << shown;
    }
}

TEST(BatchTextLayout, WidthsAndLineBreaks)
{
    EXPECT_EQ(displayWidth(""), 0u);
    EXPECT_EQ(displayWidth("--kind K"), 8u);
    EXPECT_EQ(displayWidth("グリッドの色"), 12u);
    EXPECT_EQ(displayWidth("（既定値 32x32）"), 16u);
    EXPECT_EQ(displayWidth("\xff\xe3\x81"), 3u) << "invalid bytes count one column each";

    struct Case
    {
        std::string text;
        size_t width;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"", 10, {""}},
        {"one two three", 7, {"one two", "three"}},
        {"one  two", 8, {"one  two"}},
        {"one  two", 7, {"one", "two"}},
        {"unbreakable-word and", 5, {"unbreakable-word", "and"}},
        // Between two wide characters, but not before "。" or a small kana.
        {"画像を保存します。", 8, {"画像を保", "存しま", "す。"}},
        {"しょう", 2, {"しょ", "う"}},
        {"ファイル", 4, {"ファ", "イル"}},
        {"データ", 2, {"デー", "タ"}},
        // Not after an opening bracket, nor between a wide character and a
        // Latin one without a blank.
        {"色（赤）", 4, {"色", "（赤）"}},
        {"値32x32", 4, {"値32x32"}},
        {"既定値 none", 7, {"既定値", "none"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(wrapLines(c.text, c.width), c.lines) << c.text << " in " << c.width;
}

// Both helps fit 80 columns, say the same options, and say each in their
// own language.
TEST(BatchHelp, BothLanguagesDescribeTheSameOptions)
{
    const std::string english = usageHelp(Language::English);
    const std::string japanese = usageHelp(Language::Japanese);
    for (const std::string *help : {&english, &japanese})
        for (const std::string &line : linesOf(*help))
            EXPECT_LE(displayWidth(line), 79u) << line;

    EXPECT_TRUE(english.starts_with("usage: masume-batch [--kind K]")) << english;
    EXPECT_TRUE(japanese.starts_with("使い方: masume-batch [--kind K]")) << japanese;
    EXPECT_EQ(usageLine(Language::Japanese),
              "使い方: masume-batch [--kind K] [--size WxH] [--color RRGGBB] [--without-grid] "
              "[--grid-only] [--no-auto-orient] [--format bmp|jpeg|png] [--quality N] "
              "[--sampling 4:2:0|4:4:4] [--jobs N] (-o OUT | --out-dir DIR) INPUT...");

    std::set<std::string> spelt;
    for (const OptionHelp &option : texts::Options) {
        std::istringstream words(option.spelling);
        for (std::string word; words >> word;)
            if (word.starts_with("-"))
                spelt.insert(word.back() == ',' ? word.substr(0, word.size() - 1) : word);
        EXPECT_TRUE(hasWideCharacters(option.meaning.japanese))
            << "not Japanese: " << option.meaning.japanese;
    }
    EXPECT_EQ(optionsNamed(english), spelt);
    EXPECT_EQ(optionsNamed(japanese), spelt);
    for (const char *option : {"--kind", "--size", "--color", "--without-grid", "-j", "--jobs",
                               "-o", "--out-dir", "--help"})
        EXPECT_TRUE(spelt.count(option)) << option;
}

// The fields of a text fill in the same places in both languages.
TEST(BatchHelp, TextsTakeTheirFieldsInBothLanguages)
{
    EXPECT_EQ(say(Language::English, texts::BadJobs, {1024, "0"}),
              "jobs must be a number from 1 to 1024: 0");
    EXPECT_EQ(say(Language::Japanese, texts::BadJobs, {1024, "0"}),
              "ジョブの数は 1 から 1024 までの数で指定してください: 0");
    EXPECT_EQ(say(Language::Japanese, texts::OutputIsInput, {"out/a.bmp"}),
              "出力 out/a.bmp は入力の 1 つです。置き換えるには -o で指定してください");
}
