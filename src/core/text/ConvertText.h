#pragma once
// The fourteen character conversions of the "変換(&T)" menus; their names,
// captions and groups are in ConvertTextKinds.h.
//
// Case: ASCII letters change; full-width letters never do. Latin, Greek and
// Cyrillic letters beyond ASCII (é, ß, Ж, Ω) change by their Unicode simple
// case mapping and count as letters inside words.
// Words (CapitalizeWords, CapitalizeStarts) end after a separator character
// (the set plus space and period; only its one-wide characters count) or at
// the end of a run of two-wide characters. `separators` empty: the default set
// !"#$%&()=-~^@{}[]+;,･_/\ (･ is U+FF65).
// Width options (the three width kinds) are four positions, empty for
// "A9Ko": position 1 `A` letters, 2 `9` digits, 3 kana (`-` off, `K` combines
// a half-width kana and its voicing mark into one character, anything else
// plain), 4 `o` other symbols or `O` symbols and the space. A missing
// position is off.

#include <string>
#include <string_view>

#include "core/text/ConvertTextKinds.h"

namespace hozanki {

inline constexpr std::string_view kDefaultSeparators = "!\"#$%&()=-~^@{}[]+;,･_/\\";
inline constexpr std::string_view kDefaultWidthOptions = "A9Ko";

// Converts `text` by `kind`.
std::string ConvertText(ConvertKind kind, std::string_view text, std::string_view separators = {},
                        std::string_view options = {});
// As above by the kind's number (ConvertKindInfo::number); a number that is
// no kind gives the text unchanged.
std::string ConvertText(int kind, std::string_view text, std::string_view separators = {},
                        std::string_view options = {});

}  // namespace hozanki
