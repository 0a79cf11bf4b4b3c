#pragma once

#include <array>

namespace masume::ui {

// One command of the main window's action list C_ActionList.
struct CanvasCommand
{
    const char *name;
    const char *category; // groups the commands; no visible effect
    const char *caption;
    int imageIndex; // its picture in C_ImageList
    // The shortcut as a stored value: the key's virtual-key code in the low
    // byte, 0x4000 for Ctrl, 0x8000 for Alt, 0x2000 for Shift; 0 for none.
    int shortcut;
    bool enabled;
    // A short and an optional long text separated by "|"; never shown.
    const char *hint;
};

// The complete command table, in the action list's order. The window makes
// its actions from it, and its test compares them with it.
inline constexpr std::array<CanvasCommand, 8> CanvasCommands = {{
    {"FileNew1", "ファイル", "新規(&N)", 0, 0, false, ""},
    {"FileOpen1", "ファイル", "開く(&O)...", 1, 0x4000 | 'O', false, "開く|既存のファイルを開く"},
    {"FileSave1", "ファイル", "上書き保存(&S)", 2, 0x4000 | 'S', false, ""},
    {"FileSaveAs1", "ファイル", "名前を付けて保存(&A)...", 3, 0x4000 | 'A', false,
     "別名で保存|現在のファイルに新しい名前をつけて保存"},
    {"FileExit1", "ファイル", "終了(&X)", 4, 0, true, "終了|アプリケーションを終了する"},
    {"OpenPicture1", "ダイアログ", "背景画像を開く", 5, 0xC000 | 'O', true, "画像を開く"},
    {"SavePicture1", "ダイアログ", "現在画像を上書き保存", 6, 0xC000 | 'S', true, "画像の保存"},
    {"SaveAsPicture1", "ダイアログ", "現在画像を名前を付けて保存", 7, 0xC000 | 'A', true,
     "画像の保存"},
}};

} // namespace masume::ui
