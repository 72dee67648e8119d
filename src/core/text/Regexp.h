#pragma once
// The regular-expression layer: Perl-style matching, substitution and
// transliteration over PCRE2 (UTF mode, JIT when available, ASCII classes:
// `\s` is ASCII white space; U+3000 must be named).
//
// Pattern forms:
//   s/pattern/replacement/flags  BSubst   flags g i k m s x
//   tr/list/list/flags           BTrans   flags c d s k   (also y///)
//   m#pattern#flags, /pattern/flags  BMatch  flags i k m s x
// Any ASCII character that is neither a letter, a digit nor white space may
// be the delimiter; a backslash escapes it inside. `k` is accepted and has no
// effect: matching is always per character. An unknown flag or a pattern
// PCRE2 rejects is a failure, and the callers keep their text.
//
// Replacements know $1-$9 and more digits, ${n}, \1-\9, $&, $0 and \0 (the whole
// match), \t \n \r, a backslash before any other non-alphanumeric character
// (\\ \$ \/) for that character, and Perl's \U \L \u \l \E. A group that did
// not take part is empty.
//
// Compiled patterns are cached per thread, so the functions may be called
// from several threads at once and a pattern is compiled once per thread.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace hozanki {

// Byte offsets into the target of one group; `start == npos` when the group
// did not take part in the match (told apart from a group that matched empty).
struct RegexpSpan {
  size_t start = std::string_view::npos;
  size_t end = std::string_view::npos;
  bool Present() const { return start != std::string_view::npos; }
};

// The result record, reusable across calls.
struct RegexpResult {
  std::string output;                // after BSubst / BTrans
  int groupCount = 0;                // capture groups of the pattern (BMatch)
  std::array<RegexpSpan, 10> spans;  // 0 the whole match, 1-9 the groups
  int count = 0;                     // substitutions or characters transliterated
};

// Each returns > 0 on success (a match, a substitution or transliteration
// done), 0 when nothing matched and < 0 when the pattern is malformed or
// rejected. On a result <= 0 the record's output equals the target.
int BMatch(std::string_view pattern, std::string_view target, RegexpResult& result);
int BSubst(std::string_view pattern, std::string_view target, RegexpResult& result);
int BTrans(std::string_view pattern, std::string_view target, RegexpResult& result);
// Releases what the record holds.
void BRegfree(RegexpResult& result);

// The output of BSubst on success, else the text unchanged.
std::string SubstituteOrKeep(std::string_view perlSubst, std::string_view text);
// The output of BTrans on success, else the text unchanged.
std::string TransliterateOrKeep(std::string_view perlTrans, std::string_view text);

// A user's pattern: substitution when it begins with "s", otherwise
// transliteration. A failing or non-matching pattern gives the text back.
std::string ApplyRegexp(std::string_view pattern, std::string_view text);

// True when `pattern` is well formed for BMatch/BSubst/BTrans (form, flags,
// PCRE2 compilation).
bool IsRegexpPatternValid(std::string_view pattern);

}  // namespace hozanki
