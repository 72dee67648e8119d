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
// PCRE2 rejects is a failure, and the callers keep their text. So is a match
// that PCRE2 gives up (its match, depth or heap limit, a target that is not
// UTF-8): that one is told apart from "no match" and carries a reason, for
// the callers that must report it.
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
  std::string error;                 // why matching failed (kRegexpMatchFailed), else empty
};

// Results below 0.
inline constexpr int kRegexpBadPattern = -1;   // malformed, or rejected by PCRE2
inline constexpr int kRegexpMatchFailed = -2;  // PCRE2 gave up matching; see RegexpResult::error

// Each returns > 0 on success (a match, a substitution or transliteration
// done), 0 when nothing matched and < 0 on failure (kRegexpBadPattern or
// kRegexpMatchFailed). On a result <= 0 the record's output equals the target.
int BMatch(std::string_view pattern, std::string_view target, RegexpResult& result);
int BSubst(std::string_view pattern, std::string_view target, RegexpResult& result);
int BTrans(std::string_view pattern, std::string_view target, RegexpResult& result);
// Releases what the record holds.
void BRegfree(RegexpResult& result);

// BMatch for a loop that searches one long text piece by piece: the record's
// output is left alone (no copy of the target), and with `targetChecked` the
// target is taken to be valid UTF-8 without checking it again (a tail, cut at
// a character boundary, of a text an earlier call has checked).
int BMatchPiece(std::string_view pattern, std::string_view target, bool targetChecked, RegexpResult& result);

// The output of BSubst on success, else the text unchanged.
std::string SubstituteOrKeep(std::string_view perlSubst, std::string_view text);
// The output of BTrans on success, else the text unchanged.
std::string TransliterateOrKeep(std::string_view perlTrans, std::string_view text);

// A user's pattern: substitution when it begins with "s", otherwise
// transliteration. A failing or non-matching pattern gives the text back.
// With `error` given, it is cleared, and set to the reason when PCRE2 gave up
// matching (the text comes back unchanged then too); a malformed pattern
// sets no error.
std::string ApplyRegexp(std::string_view pattern, std::string_view text, std::string* error = nullptr);

// True when `pattern` is well formed for BMatch/BSubst/BTrans (form, flags,
// PCRE2 compilation).
bool IsRegexpPatternValid(std::string_view pattern);

}  // namespace hozanki
