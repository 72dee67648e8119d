#pragma once
// Inside the regular-expression layer: a parsed and compiled pattern string,
// and the per-thread cache that holds them. Not for use outside Regexp.cpp.

#include <pcre2.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/Transliteration.h"

namespace hozanki::regexp_detail {

enum class ProgramForm { Invalid, Match, Substitute, Transliterate };

// One piece of a substitution's replacement text.
struct ReplacementPiece {
  enum class Kind { Literal, Group, UpperAll, LowerAll, UpperNext, LowerNext, EndCase };
  Kind kind = Kind::Literal;
  std::string text;  // Literal
  int group = 0;     // Group (0 the whole match)
};

struct RegexpProgram {
  ProgramForm form = ProgramForm::Invalid;
  pcre2_code* code = nullptr;
  pcre2_match_data* matchData = nullptr;
  int captureCount = 0;
  bool global = false;
  bool replacementHasCase = false;
  std::vector<ReplacementPiece> replacement;
  Transliteration transliteration;

  RegexpProgram() = default;
  RegexpProgram(const RegexpProgram&) = delete;
  RegexpProgram& operator=(const RegexpProgram&) = delete;
  ~RegexpProgram();
};

// The compiled form of `pattern` for the calling thread (compiled on first
// use). An unusable pattern gives a program whose form is Invalid.
const RegexpProgram& FindProgram(std::string_view pattern);

// The calling thread's match context for pcre2_match: PCRE2's default limits,
// and a JIT stack that may grow to a few megabytes (the default 32 KiB stops
// a simple repeated group such as "(a|b)+" after a few thousand characters).
pcre2_match_context* MatchContext();

}  // namespace hozanki::regexp_detail
