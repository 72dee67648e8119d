#include "core/text/Regexp.h"

#include "core/common/Failure.h"
#include "core/text/CaseMapping.h"
#include "core/text/RegexpProgram.h"
#include "core/text/TextWidth.h"

namespace hozanki {

using regexp_detail::FindProgram;
using regexp_detail::MatchContext;
using regexp_detail::ProgramForm;
using regexp_detail::RegexpProgram;
using regexp_detail::ReplacementPiece;

namespace {

enum class CaseMode { None, Upper, Lower };

// Appends `piece` to `out` under the case state of \U \L \u \l.
void AppendCased(std::string& out, std::string_view piece, CaseMode mode, CaseMode& next) {
  size_t pos = 0;
  while (pos < piece.size()) {
    char32_t cp;
    size_t len = DecodeUtf8Char(piece, pos, cp);
    CaseMode apply = next != CaseMode::None ? next : mode;
    next = CaseMode::None;
    if (apply == CaseMode::None || cp == 0xFFFD) {
      out.append(piece.substr(pos, len));
    } else {
      AppendUtf8(out, apply == CaseMode::Upper ? UnicodeUpper(cp) : UnicodeLower(cp));
    }
    pos += len;
  }
}

void AppendReplacement(const RegexpProgram& program, std::string_view subject, const PCRE2_SIZE* ovector,
                       int pairs, std::string& out) {
  using Kind = ReplacementPiece::Kind;
  auto group = [&](int g) -> std::string_view {
    if (g >= pairs || ovector[2 * g] == PCRE2_UNSET) return {};
    return subject.substr(ovector[2 * g], ovector[2 * g + 1] - ovector[2 * g]);
  };
  if (!program.replacementHasCase) {
    for (const ReplacementPiece& p : program.replacement)
      out.append(p.kind == Kind::Literal ? std::string_view(p.text) : group(p.group));
    return;
  }
  CaseMode mode = CaseMode::None;
  CaseMode next = CaseMode::None;
  for (const ReplacementPiece& p : program.replacement) {
    switch (p.kind) {
      case Kind::Literal:
        AppendCased(out, p.text, mode, next);
        break;
      case Kind::Group:
        AppendCased(out, group(p.group), mode, next);
        break;
      case Kind::UpperAll:
        mode = CaseMode::Upper;
        break;
      case Kind::LowerAll:
        mode = CaseMode::Lower;
        break;
      case Kind::UpperNext:
        next = CaseMode::Upper;
        break;
      case Kind::LowerNext:
        next = CaseMode::Lower;
        break;
      case Kind::EndCase:
        mode = CaseMode::None;
        break;
    }
  }
}

int Fail(std::string_view target, RegexpResult& result, int code) {
  result.output.assign(target);
  return code;
}

// The reason for a pcre2_match result below 0 other than "no match".
std::string MatchErrorText(int rc) {
  PCRE2_UCHAR buffer[256];
  const int length = pcre2_get_error_message(rc, buffer, sizeof buffer / sizeof buffer[0]);
  const std::string pcre2 =
      length > 0 ? std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length))
                 : "error " + std::to_string(rc);
  switch (rc) {
    case PCRE2_ERROR_MATCHLIMIT:
    case PCRE2_ERROR_DEPTHLIMIT:
    case PCRE2_ERROR_HEAPLIMIT:
    case PCRE2_ERROR_JIT_STACKLIMIT:
      return EncodeFailure({FailureKind::kMatchTooHard, "", "", 0, 0, 0,
                            "matching needs more backtracking than PCRE2 allows (" + pcre2 + ")"});
    default:
      break;
  }
  if (rc <= PCRE2_ERROR_UTF8_ERR1 && rc >= PCRE2_ERROR_UTF8_ERR21)
    return EncodeFailure(
        {FailureKind::kNotUtf8, "", "", 0, 0, 0, "the text is not valid UTF-8 (" + pcre2 + ")"});
  return EncodeFailure({FailureKind::kMatchFailed, "", "", 0, 0, 0, "PCRE2 could not match (" + pcre2 + ")"});
}

int MatchFailed(std::string_view target, RegexpResult& result, int rc) {
  result.error = MatchErrorText(rc);
  return Fail(target, result, kRegexpMatchFailed);
}

// BMatch's search, filling the spans; the output is left alone.
int MatchSpans(std::string_view pattern, std::string_view target, uint32_t options, RegexpResult& result) {
  for (RegexpSpan& s : result.spans) s = RegexpSpan{};
  result.groupCount = 0;
  result.count = 0;
  result.error.clear();
  const RegexpProgram& program = FindProgram(pattern);
  if (program.form != ProgramForm::Match) return kRegexpBadPattern;
  result.groupCount = program.captureCount;
  int rc = pcre2_match(program.code, reinterpret_cast<PCRE2_SPTR>(target.data()), target.size(), 0, options,
                       program.matchData, MatchContext());
  if (rc == PCRE2_ERROR_NOMATCH) return 0;
  if (rc < 0) {
    result.error = MatchErrorText(rc);
    return kRegexpMatchFailed;
  }
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(program.matchData);
  const int pairs = static_cast<int>(pcre2_get_ovector_count(program.matchData));
  for (int g = 0; g < 10 && g < pairs; ++g) {
    if (ovector[2 * g] == PCRE2_UNSET) continue;
    result.spans[static_cast<size_t>(g)] = {ovector[2 * g], ovector[2 * g + 1]};
  }
  result.count = 1;
  return 1;
}

}  // namespace

int BMatch(std::string_view pattern, std::string_view target, RegexpResult& result) {
  const int rc = MatchSpans(pattern, target, 0, result);
  result.output.assign(target);
  return rc;
}

int BMatchPiece(std::string_view pattern, std::string_view target, bool targetChecked, RegexpResult& result) {
  return MatchSpans(pattern, target, targetChecked ? PCRE2_NO_UTF_CHECK : 0, result);
}

int BSubst(std::string_view pattern, std::string_view target, RegexpResult& result) {
  result.count = 0;
  result.error.clear();
  const RegexpProgram& program = FindProgram(pattern);
  if (program.form != ProgramForm::Substitute) return Fail(target, result, kRegexpBadPattern);
  std::string& out = result.output;
  out.clear();
  const auto* subject = reinterpret_cast<PCRE2_SPTR>(target.data());
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(program.matchData);
  const int pairs = static_cast<int>(pcre2_get_ovector_count(program.matchData));
  size_t offset = 0;
  size_t copied = 0;
  uint32_t options = 0;
  int count = 0;
  for (;;) {
    int rc =
        pcre2_match(program.code, subject, target.size(), offset, options, program.matchData, MatchContext());
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) return MatchFailed(target, result, rc);
    out.append(target.substr(copied, ovector[0] - copied));
    AppendReplacement(program, target, ovector, pairs, out);
    copied = ovector[1];
    ++count;
    if (!program.global) break;
    offset = ovector[1];
    options = PCRE2_NO_UTF_CHECK;
    // After an empty match, the next one is not empty where that one was; it
    // may be empty one character further on. One search does both, and the
    // whole text is searched once.
    if (ovector[0] == ovector[1]) options |= PCRE2_NOTEMPTY_ATSTART;
  }
  if (count == 0) return Fail(target, result, 0);
  out.append(target.substr(copied));
  result.count = count;
  return count;
}

int BTrans(std::string_view pattern, std::string_view target, RegexpResult& result) {
  result.count = 0;
  result.error.clear();
  const RegexpProgram& program = FindProgram(pattern);
  if (program.form != ProgramForm::Transliterate) return Fail(target, result, kRegexpBadPattern);
  int count = program.transliteration.Apply(target, result.output);
  if (count == 0) return Fail(target, result, 0);
  result.count = count;
  return count;
}

void BRegfree(RegexpResult& result) {
  result = RegexpResult{};
}

std::string SubstituteOrKeep(std::string_view perlSubst, std::string_view text) {
  RegexpResult result;
  if (BSubst(perlSubst, text, result) > 0) return std::move(result.output);
  return std::string(text);
}

std::string TransliterateOrKeep(std::string_view perlTrans, std::string_view text) {
  RegexpResult result;
  if (BTrans(perlTrans, text, result) > 0) return std::move(result.output);
  return std::string(text);
}

std::string ApplyRegexp(std::string_view pattern, std::string_view text, std::string* error) {
  if (error) error->clear();
  RegexpResult result;
  const int rc =
      !pattern.empty() && pattern[0] == 's' ? BSubst(pattern, text, result) : BTrans(pattern, text, result);
  if (rc > 0) return std::move(result.output);
  if (rc == kRegexpMatchFailed && error) *error = std::move(result.error);
  return std::string(text);
}

bool IsRegexpPatternValid(std::string_view pattern) {
  return FindProgram(pattern).form != ProgramForm::Invalid;
}

}  // namespace hozanki
