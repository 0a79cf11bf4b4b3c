#pragma once

#include "batch/Language.h"
#include "common/Error.h"

#include <initializer_list>
#include <string>

// Every text of masume-batch's own, in both of its languages, in one place:
// the usage and help, the usage errors and the messages of its run. A new
// option takes an item in Synopsis, a line in Options and its errors here.
// (The messages of opening and saving pictures are the program's own, in
// common/Messages.h.)
//
// "%s" and "%d" are filled in from left to right (formatMessage), in both
// languages in the same order. The help's texts are wrapped to the terminal
// by the program (TextLayout.h): write them as one line each; in Japanese
// set Latin words, numbers and option names apart with blanks, which is
// also where a line may break beside them.
namespace masume::batch {

struct Text
{
    const char *english;
    const char *japanese;

    const char *in(Language language) const
    {
        return language == Language::Japanese ? japanese : english;
    }
};

// An option's line in the help: the option as it is written, and what it
// means.
struct OptionHelp
{
    const char *spelling;
    Text meaning;
};

namespace texts {

// The arguments, one group an item (never broken inside), the same in both
// languages.
inline constexpr const char *Synopsis[] = {
    "[--kind K]",       "[--size WxH]", "[--color RRGGBB]",
    "[--without-grid]", "[--jobs N]",   "(-o OUT | --out-dir DIR)",
    "INPUT...",
};

inline constexpr Text Usage {"usage: %s", "使い方: %s"};

inline constexpr Text About {
    "Lays masume's grid over BMP and JPEG pictures and writes them as masume saves them: a name "
    "ending in .jpg or .jpeg (any case) gives a JPEG of quality 90, a name without extension gets "
    ".bmp appended, any other name a 24-bit BMP. Existing files are replaced as a whole.",
    "BMP と JPEG の画像に masume のグリッドを重ね、masume と同じ規則で保存します。名前が .jpg "
    "または .jpeg で終わる（大文字・小文字は問わない）ときは品質 90 の JPEG、拡張子がないときは "
    ".bmp を付けた名前で、それ以外の名前はそのまま 24 ビットの BMP で保存します。"
    "既存のファイルは丸ごと置き換えます。",
};

inline constexpr OptionHelp Options[] = {
    {"--kind K",
     {"none, square, diamond, rows, columns, hex-rows, hex-columns, or the kind code 0..7 "
      "(default none)",
      "グリッドの種類。none, square, diamond, rows, columns, hex-rows, hex-columns "
      "のいずれか、または種類の番号 0..7（既定値 none）"}},
    {"--size WxH",
     {"cell width and height in pixels, 32-bit integers, decimal or hex with $ or 0x "
      "(default 32x32)",
      "セルの幅と高さ（ピクセル）。32 ビット整数で、10 進数、または $ か 0x を付けた 16 "
      "進数（既定値 32x32）"}},
    {"--color RRGGBB",
     {"grid colour, six hex digits, red first (default 000000)",
      "グリッドの色。赤、緑、青の順に 16 進数 6 桁（既定値 000000）"}},
    {"--without-grid", {"write the picture without the grid", "グリッドを付けずに画像を保存する"}},
    {"-j, --jobs N",
     {"process up to N files at the same time (default: the number of cores this process may "
      "use); fewer run at once when their pictures would not fit in memory together",
      "同時に N 個までのファイルを処理する（既定値はこのプロセスが使えるコアの数）。"
      "画像がまとめてメモリに収まらないときは、同時に処理する数を減らす"}},
    {"-o OUT", {"the output of a single input", "入力が 1 つのときの出力ファイル"}},
    {"--out-dir DIR",
     {"write each input under its own name into DIR", "各入力を同じファイル名で DIR に保存する"}},
    {"--help", {"this text", "この説明を表示する"}},
};

inline constexpr Text Reports {
    "Failures are reported as \"masume-batch: FILE: MESSAGE\", in the order of the inputs "
    "whatever the number of jobs; the outputs do not depend on it either. On a terminal a "
    "progress line counts the finished files.",
    "失敗は「masume-batch: FILE: MESSAGE」の形で、ジョブの数にかかわらず入力の順に報告します。"
    "出力もジョブの数に左右されません。端末では、終わったファイルの数を進行状況の行に表示します。",
};

inline constexpr Text ExitStatus {
    "Exit status: 0 when every input was written, 1 when any failed, 2 for unusable arguments.",
    "終了ステータス: すべての入力を保存できたときは 0、失敗したものがあるときは 1、"
    "引数が使えないときは 2。",
};

// Usage errors, each followed by the usage line.
inline constexpr Text UnknownOption {"unknown option %s", "不明なオプションです: %s"};
inline constexpr Text NeedsValue {"%s needs a value", "%s には値が必要です"};
inline constexpr Text GivenTwice {"%s given twice", "%s が 2 回指定されています"};
inline constexpr Text UnknownKind {"unknown grid kind %s", "不明なグリッドの種類です: %s"};
inline constexpr Text BadSize {"size must be WxH with two 32-bit integers: %s",
                               "サイズは 2 つの 32 ビット整数を WxH の形で指定してください: %s"};
inline constexpr Text BadColour {"colour must be six hex digits RRGGBB: %s",
                                 "色は 16 進数 6 桁の RRGGBB で指定してください: %s"};
inline constexpr Text BadJobs {"jobs must be a number from 1 to %d: %s",
                               "ジョブの数は 1 から %d までの数で指定してください: %s"};
inline constexpr Text NoInputs {"no input files", "入力ファイルがありません"};
inline constexpr Text NoOutput {"give either -o OUT or --out-dir DIR",
                                "-o OUT と --out-dir DIR のどちらか一方を指定してください"};
inline constexpr Text SeveralInputsForO {
    "-o names the output of a single input; use --out-dir for several",
    "-o は入力が 1 つのときの出力です。複数の入力には --out-dir を使ってください"};

// A run's refusals of one input, reported as "masume-batch: FILE: TEXT".
inline constexpr Text OutputIsInput {
    "output %s is an input; name it with -o to replace it",
    "出力 %s は入力の 1 つです。置き換えるには -o で指定してください"};
inline constexpr Text AlreadyWritten {"output %s was already written in this run",
                                      "出力 %s はこの実行ですでに保存されています"};

} // namespace texts

// A text in the language, its fields filled in.
std::string say(Language language, const Text &text, std::initializer_list<MessageArg> fields = {});

// The usage line that follows a usage error.
std::string usageLine(Language language);
// The usage and what each option means, for --help, wrapped to 79 columns.
std::string usageHelp(Language language);

} // namespace masume::batch
