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
    "[--kind K]",
    "[--size WxH]",
    "[--color RRGGBB]",
    "[--without-grid]",
    "[--grid-only]",
    "[--no-auto-orient]",
    "[--format bmp|jpeg|png]",
    "[--quality N]",
    "[--sampling 4:2:0|4:4:4]",
    "[--jobs N]",
    "(-o OUT | --out-dir DIR)",
    "INPUT...",
};

inline constexpr Text Usage {"usage: %s", "使い方: %s"};

inline constexpr Text About {
    "Lays masume's grid over BMP, JPEG and PNG pictures and writes them as masume saves them: a "
    "name ending in .jpg or .jpeg (any case) gives a JPEG (quality 90 unless --quality says "
    "otherwise), .png an 8-bit RGB PNG, a name without extension gets .bmp appended, any other "
    "name a 24-bit BMP. Existing files are replaced as a whole. An INPUT is read as its extension "
    "says (.bmp, .jpg, .jpeg, .png), any other by its first bytes; an INPUT of - reads standard "
    "input; -o - writes standard output in the format of --format. A file named - is given as "
    "./-.",
    "BMP、JPEG、PNG の画像に masume のグリッドを重ね、masume と同じ規則で保存します。名前が "
    ".jpg または .jpeg で終わる（大文字・小文字は問わない）ときは JPEG（--quality "
    "の指定がなければ品質 90）、.png で終わるときは 8 ビット RGB の PNG、拡張子がないときは "
    ".bmp を付けた名前で、それ以外の名前はそのまま 24 ビットの BMP で保存します。"
    "既存のファイルは丸ごと置き換えます。入力は拡張子（.bmp, .jpg, .jpeg, .png）で形式を判断し、"
    "それ以外の名前は先頭のバイトで判断します。入力に - を指定すると標準入力から読みます。-o - "
    "を指定すると --format の形式で標準出力に書き出します。- という名前のファイルは ./- "
    "と指定してください。",
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
    {"--no-auto-orient",
     {"keep JPEG photos as stored; by default a photo whose Exif block says it is stored turned "
      "or mirrored is turned upright first, as masume shows it",
      "JPEG の写真を保存されたままの向きで使う。既定では、Exif "
      "が回転または鏡像で保存されていると示す写真を、masume "
      "が表示するように正しい向きに直してから使う"}},
    {"--grid-only",
     {"write the grid alone as an RGBA PNG of the picture's size: the lines in the grid colour, "
      "every other pixel transparent (needs a PNG output)",
      "グリッドだけを画像と同じ大きさの RGBA の PNG で保存する。線はグリッドの色、"
      "それ以外のピクセルは透明（出力は PNG に限る）"}},
    {"--format F",
     {"bmp, jpeg or png: the format of -o - (required there), and of each output of --out-dir, "
      "whose extension becomes the format's",
      "bmp, jpeg, png のいずれか。-o - の形式（その場合は必須）、または --out-dir "
      "の各出力の形式で、拡張子もその形式のものに替える"}},
    {"--quality N",
     {"JPEG quality from 1 to 100 (default 90)", "JPEG の品質。1 から 100 まで（既定値 90）"}},
    {"--sampling S",
     {"JPEG chroma sampling, 4:2:0 or 4:4:4 (default 4:2:0)",
      "JPEG の色差のサンプリング。4:2:0 または 4:4:4（既定値 4:2:0）"}},
    {"-j, --jobs N",
     {"use up to N threads (default: the number of cores this process may use): N files are "
      "processed at the same time, one thread each; with fewer files than N, a file takes two, "
      "one decoding ahead; fewer at once when what their readers hold whole would not fit in "
      "memory together",
      "最大 N 個のスレッドを使う（既定値はこのプロセスが使えるコアの数）。N 個のファイルを"
      "同時に 1 つのスレッドずつで処理し、ファイルが N 個より少なければ 1 つに 2 つ"
      "（一方は先にデコードする）を使う。読み込みで全体を保持する分がまとめてメモリに"
      "収まらないときは、同時に処理する数を減らす"}},
    {"-o OUT",
     {"the output of a single input; - for standard output",
      "入力が 1 つのときの出力ファイル。- は標準出力"}},
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
inline constexpr Text UnknownFormat {"format must be bmp, jpeg or png: %s",
                                     "形式は bmp, jpeg, png のいずれかで指定してください: %s"};
inline constexpr Text BadQuality {"quality must be a number from 1 to 100: %s",
                                  "品質は 1 から 100 までの数で指定してください: %s"};
inline constexpr Text BadSampling {"sampling must be 4:2:0 or 4:4:4: %s",
                                   "サンプリングは 4:2:0 または 4:4:4 で指定してください: %s"};
inline constexpr Text StdinTwice {"standard input (-) may be given once",
                                  "標準入力 (-) は 1 回だけ指定できます"};
inline constexpr Text StdinWithOutDir {
    "standard input (-) has no name for --out-dir; use -o",
    "標準入力 (-) には --out-dir で使う名前がありません。-o を使ってください"};
inline constexpr Text StdoutNeedsFormat {"-o - needs --format bmp, jpeg or png",
                                         "-o - には --format bmp, jpeg, png の指定が必要です"};
inline constexpr Text FormatWithName {
    "--format goes with -o - or --out-dir; -o OUT takes the format from OUT's name",
    "--format は -o - か --out-dir と使います。-o OUT の形式は OUT の名前で決まります"};
inline constexpr Text GridOnlyNeedsPng {
    "--grid-only writes a PNG: give an output name ending in .png or --format png",
    "--grid-only は PNG で保存します。.png で終わる出力名か --format png を指定してください"};
inline constexpr Text GridOnlyWithoutGrid {"--grid-only and --without-grid exclude each other",
                                           "--grid-only と --without-grid は同時に指定できません"};
inline constexpr Text SeveralInputsForO {
    "-o names the output of a single input; use --out-dir for several",
    "-o は入力が 1 つのときの出力です。複数の入力には --out-dir を使ってください"};

// A run's refusals of one input, reported as "masume-batch: FILE: TEXT".
inline constexpr Text OutputIsInput {
    "output %s is an input; name it with -o to replace it",
    "出力 %s は入力の 1 つです。置き換えるには -o で指定してください"};
inline constexpr Text AlreadyWritten {"output %s was already written in this run",
                                      "出力 %s はこの実行ですでに保存されています"};
inline constexpr Text NoPictureOnInput {"standard input holds no BMP, JPEG or PNG picture",
                                        "標準入力は BMP、JPEG、PNG のどの画像でもありません"};

} // namespace texts

// A text in the language, its fields filled in.
std::string say(Language language, const Text &text, std::initializer_list<MessageArg> fields = {});

// The usage line that follows a usage error.
std::string usageLine(Language language);
// The usage and what each option means, for --help, wrapped to 79 columns.
std::string usageHelp(Language language);

} // namespace masume::batch
