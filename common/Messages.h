#pragma once

// The program's fixed messages. Each is shown to the user as it stands, with
// "%s" or "%d" filled in through masume::raise().
namespace masume::msg {

inline constexpr const char *NotAnInteger = "'%s' は整数ではありません";
inline constexpr const char *ZeroDivide = "0 による浮動小数点数除算";
inline constexpr const char *InvalidOperation = "不正な浮動小数点数演算命令";
inline constexpr const char *Overflow = "浮動小数点数のオーバーフロー";
inline constexpr const char *OutOfMemory = "メモリが不足しています";

inline constexpr const char *UnknownExtension = "拡張子 .%s の画像形式は処理できません";
inline constexpr const char *CannotOpen = "ファイル %s は開けません";
inline constexpr const char *BitmapInvalid = "ビットマップイメージが不正です";
inline constexpr const char *ReadError = "ストリームからの読み込みエラー";
inline constexpr const char *IconInvalid = "アイコンイメージが不正です";
inline constexpr const char *MetafileInvalid = "メタファイルが不正です";
inline constexpr const char *JpegError = "JPEG エラー #%d";
inline constexpr const char *PngError = "PNG エラー #%d";
inline constexpr const char *CannotAssign = "%s を %s に代入することはできません";
inline constexpr const char *CannotCreate = "ファイル %s を作成できません";
inline constexpr const char *WriteError = "ストリームへの書き込みエラー";

} // namespace masume::msg
