#pragma once
// The pattern check of the regular-expression dialog: which texts may be
// confirmed, and the kind the dialog's two radio buttons show.

#include <string>
#include <string_view>

namespace hozanki {

enum class RegexpPatternKind { None, Substitute, Transliterate };

struct RegexpPatternCheck {
  bool acceptable = false;  // OK may be pressed
  RegexpPatternKind kind = RegexpPatternKind::None;
};

// Acceptable: "s" or "tr", "/", a non-empty part, "/", a part, "/", flags,
// with no other unescaped "/" ("\/" and "\\" count as ordinary characters).
// Whether PCRE2 accepts the pattern is not checked here: a pattern that it
// rejects leaves the text unchanged when it runs.
RegexpPatternCheck CheckRegexpPattern(std::string_view text);

// The text after the user picks a kind with a radio button: an empty text
// becomes "s///" or "tr///"; otherwise the leading "s/" or "tr/" (or a
// leading "/") is replaced by the chosen one, and a text without "/" is
// wrapped as "s/TEXT//".
std::string SwitchRegexpPatternKind(std::string_view text, RegexpPatternKind kind);

}  // namespace hozanki
