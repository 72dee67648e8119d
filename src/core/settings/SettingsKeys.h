#pragma once
// Sections, keys and defaults of "NR284.ini" that the main window reads at
// start. Sections owned by dialogs keep their keys next to their own code.

#include <array>
#include <span>
#include <string_view>

#include "core/common/FormatRegistry.h"

namespace hozanki::settings {

namespace window {
inline constexpr std::string_view kSection = "Window";
inline constexpr std::string_view kTop = "Top";
inline constexpr int kTopDefault = 50;
inline constexpr std::string_view kLeft = "Left";
inline constexpr int kLeftDefault = 100;
inline constexpr std::string_view kHeight = "Height";
inline constexpr int kHeightDefault = 480;
inline constexpr std::string_view kWidth = "Width";
inline constexpr int kWidthDefault = 640;
inline constexpr std::string_view kSplit1 = "Split1";
inline constexpr int kSplit1Default = 200;
inline constexpr std::string_view kSplit2 = "Split2";
inline constexpr int kSplit2Default = 200;
// Whether the window was maximised when it closed (the bounds and splitters
// above are always those of the normal window).
inline constexpr std::string_view kMaximized = "Maximized";
inline constexpr bool kMaximizedDefault = false;
inline constexpr std::string_view kPage = "Page";
inline constexpr int kPageDefault = 1;
inline constexpr std::string_view kDir = "Dir";
// Column width keys: "CF" + format name + "-" + n, "CT" + tag kind key + "-" + n.
inline constexpr std::string_view kFileColumnPrefix = "CF";
inline constexpr std::string_view kTagColumnPrefix = "CT";
}  // namespace window

namespace option {
inline constexpr std::string_view kSection = "Option";
inline constexpr std::string_view kEditor = "Editor";
inline constexpr std::string_view kEditorDefault = "Notepad.exe";
inline constexpr std::string_view kExtOmit = "ExtOmit";
inline constexpr bool kExtOmitDefault = false;
inline constexpr std::string_view kExtProtect = "ExtProtect";
inline constexpr bool kExtProtectDefault = false;
inline constexpr std::string_view kPlayer = "Player";        // + n, n = 1..kFormatCount
inline constexpr std::string_view kPlayerPrm = "PlayerPrm";  // + n
inline constexpr std::string_view kColorNC = "ColorNC";
inline constexpr int kColorNCDefault = static_cast<int>(0x80000008u);  // system colour: window text
inline constexpr std::string_view kColorNB = "ColorNB";
inline constexpr int kColorNBDefault = 0x00C0FFFF;  // light yellow
inline constexpr std::string_view kColorSC = "ColorSC";
inline constexpr int kColorSCDefault = static_cast<int>(0x8000000Eu);  // system colour: highlight text
inline constexpr std::string_view kColorSB = "ColorSB";
inline constexpr int kColorSBDefault = 0x00FF0000;  // blue (0x00BBGGRR)
inline constexpr std::string_view kMemoSize = "MemoSize";
inline constexpr int kMemoSizeDefault = 82;
inline constexpr std::string_view kFontName = "FontName";
inline constexpr std::string_view kFontNameDefault = "ＭＳ ゴシック";
// ID3v2 save options, each an item index of its box in the options dialog.
// On Linux every reader takes an ISO-8859-1 frame as ISO-8859-1 and several
// mis-read unsynchronised tags, so Unicode is on and unsynchronisation off
// by default, and the "（推奨）" marks sit on those items. A settings file that
// stores other values keeps them.
inline constexpr std::string_view kUnicode = "Unicode";
inline constexpr int kUnicodeDefault = 2;
inline constexpr std::array<std::string_view, 3> kUnicodeItems = {"変更なし", "無効", "有効 （推奨）"};
inline constexpr std::string_view kUnsync = "Unsync";
inline constexpr int kUnsyncDefault = 1;
inline constexpr std::array<std::string_view, 3> kUnsyncItems = {"変更なし", "無効 （推奨）", "有効"};
inline constexpr std::string_view kID3v2Ver = "ID3v2Ver";
inline constexpr int kID3v2VerDefault = 2;
inline constexpr std::array<std::string_view, 4> kID3v2VerItems = {"変更なし", "2.2", "2.3 （推奨）", "2.4"};
inline constexpr std::string_view kTimeStamp = "TimeStamp";
inline constexpr bool kTimeStampDefault = true;
inline constexpr std::string_view kClmMode = "ClmMode";
inline constexpr int kClmModeDefault = 0;
}  // namespace option

namespace tool {
inline constexpr std::string_view kSection = "Tool";
inline constexpr std::string_view kCount = "Count";
inline constexpr std::string_view kName = "Name";  // + i, i from 0
inline constexpr std::string_view kExec = "Exec";
inline constexpr std::string_view kParm = "Parm";
}  // namespace tool

// Default widths of columns 1..n of each file list (column 0 is never stored).
std::span<const int> FileColumnDefaults(MediaFormat format);
// Default widths of columns 1..n of each tag table.
std::span<const int> TagColumnDefaults(TagKind kind);

}  // namespace hozanki::settings
