#pragma once
// The fourteen character conversions of the "変換(&T)" menus.
//
//  0 upper to lower case     1 lower to upper case     2 swap case
//  3 word-initial capitals, rest of each word lower case
//  4 word-initial capitals, rest unchanged
//  5 full width to half width   6 half width to full width   7 swap width
//  8 hiragana to katakana   9 katakana to hiragana   10 swap kana
// 11 remove leading white space   12 remove trailing white space
// 13 compress runs of white space (full-width spaces included) to one space
//
// Case: ASCII letters change; full-width letters never do. Latin, Greek and
// Cyrillic letters beyond ASCII (é, ß, Ж, Ω) change by their Unicode simple
// case mapping and count as letters inside words.
// Words (kinds 3, 4) end after a separator character (the set plus space and
// period; only its one-wide characters count) or at the end of a run of
// two-wide characters. `separators` empty: the default set
// !"#$%&()=-~^@{}[]+;,･_/\ (･ is U+FF65).
// Width options (kinds 5-7) are four positions, empty for "A9Ko": position 1
// `A` letters, 2 `9` digits, 3 kana (`-` off, `K` combines a half-width kana
// and its voicing mark into one character, anything else plain), 4 `o`
// other symbols or `O` symbols and the space. A missing position is off.

#include <string>
#include <string_view>

namespace hozanki {

inline constexpr int kConvertKindCount = 14;
inline constexpr std::string_view kDefaultSeparators = "!\"#$%&()=-~^@{}[]+;,･_/\\";
inline constexpr std::string_view kDefaultWidthOptions = "A9Ko";

// Converts `text` by `kind` (0-13; any other kind gives the text unchanged).
std::string ConvertText(int kind, std::string_view text, std::string_view separators = {},
                        std::string_view options = {});

}  // namespace hozanki
