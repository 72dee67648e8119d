#include "core/text/RegexpProgram.h"

#include <cctype>
#include <unordered_map>

namespace hozanki::regexp_detail {

namespace {

constexpr size_t kCacheLimit = 256;
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 8 * 1024 * 1024;

bool IsDelimiter(char c) {
  auto u = static_cast<unsigned char>(c);
  return u < 0x80 && u > 0x20 && u != 0x7F && !std::isalnum(u) && c != '\\';
}

// Splits "<delim>part<delim>part...<delim>flags" into `parts` parts and the
// flags; a backslash keeps the next character (the delimiter included) in
// its part, backslash and all.
bool SplitParts(std::string_view body, int parts, std::vector<std::string_view>& out,
                std::string_view& flags) {
  if (body.empty() || !IsDelimiter(body[0])) return false;
  const char delimiter = body[0];
  size_t pos = 1;
  out.clear();
  for (int i = 0; i < parts; ++i) {
    size_t begin = pos;
    while (pos < body.size() && body[pos] != delimiter) pos += body[pos] == '\\' ? 2 : 1;
    if (pos >= body.size()) return false;
    out.push_back(body.substr(begin, pos - begin));
    ++pos;
  }
  flags = body.substr(pos);
  return true;
}

// Removes a backslash that escapes the delimiter, for the parts that are
// not handed to PCRE2 as they are.
std::string UnescapeDelimiter(std::string_view part, char delimiter) {
  std::string out;
  for (size_t i = 0; i < part.size(); ++i) {
    if (part[i] == '\\' && i + 1 < part.size()) {
      if (part[i + 1] != delimiter) out.push_back('\\');
      out.push_back(part[++i]);
    } else {
      out.push_back(part[i]);
    }
  }
  return out;
}

bool ParseReplacement(std::string_view text, RegexpProgram& program) {
  using Kind = ReplacementPiece::Kind;
  auto& pieces = program.replacement;
  auto literal = [&](std::string_view s) {
    if (pieces.empty() || pieces.back().kind != Kind::Literal) pieces.push_back({Kind::Literal, {}, 0});
    pieces.back().text.append(s);
  };
  auto marker = [&](Kind kind) {
    pieces.push_back({kind, {}, 0});
    program.replacementHasCase = true;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '$' && i + 1 < text.size()) {
      char n = text[i + 1];
      if (n == '&') {
        pieces.push_back({Kind::Group, {}, 0});
        ++i;
      } else if (std::isdigit(static_cast<unsigned char>(n))) {
        int group = 0;
        size_t j = i + 1;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])) && group < 1000)
          group = group * 10 + (text[j++] - '0');
        pieces.push_back({Kind::Group, {}, group});
        i = j - 1;
      } else if (n == '{') {
        size_t close = text.find('}', i + 2);
        if (close == std::string_view::npos || close == i + 2 || close - i > 6) return false;
        int group = 0;
        for (size_t j = i + 2; j < close; ++j) {
          if (!std::isdigit(static_cast<unsigned char>(text[j]))) return false;
          group = group * 10 + (text[j] - '0');
        }
        pieces.push_back({Kind::Group, {}, group});
        i = close;
      } else {
        literal("$");
      }
    } else if (c == '\\' && i + 1 < text.size()) {
      char n = text[++i];
      switch (n) {
        case 't':
          literal("\t");
          break;
        case 'n':
          literal("\n");
          break;
        case 'r':
          literal("\r");
          break;
        case 'U':
          marker(Kind::UpperAll);
          break;
        case 'L':
          marker(Kind::LowerAll);
          break;
        case 'u':
          marker(Kind::UpperNext);
          break;
        case 'l':
          marker(Kind::LowerNext);
          break;
        case 'E':
          marker(Kind::EndCase);
          break;
        default:
          if (n >= '0' && n <= '9') {
            pieces.push_back({Kind::Group, {}, n - '0'});
          } else {
            literal(text.substr(i, 1));
          }
      }
    } else {
      literal(text.substr(i, 1));
    }
  }
  return true;
}

bool Compile(std::string_view expression, std::string_view flags, bool allowGlobal, RegexpProgram& program) {
  uint32_t options = PCRE2_UTF;
  for (char f : flags) {
    switch (f) {
      case 'i':
        options |= PCRE2_CASELESS;
        break;
      case 'm':
        options |= PCRE2_MULTILINE;
        break;
      case 's':
        options |= PCRE2_DOTALL;
        break;
      case 'x':
        options |= PCRE2_EXTENDED;
        break;
      case 'k':
        break;
      case 'g':
        if (!allowGlobal) return false;
        program.global = true;
        break;
      default:
        return false;
    }
  }
  int error = 0;
  PCRE2_SIZE offset = 0;
  program.code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expression.data()), expression.size(), options,
                               &error, &offset, nullptr);
  if (!program.code) return false;
  pcre2_jit_compile(program.code, PCRE2_JIT_COMPLETE);  // the interpreter runs when JIT is missing
  uint32_t captures = 0;
  pcre2_pattern_info(program.code, PCRE2_INFO_CAPTURECOUNT, &captures);
  program.captureCount = static_cast<int>(captures);
  program.matchData = pcre2_match_data_create_from_pattern(program.code, nullptr);
  return program.matchData != nullptr;
}

bool Build(std::string_view pattern, RegexpProgram& program) {
  std::vector<std::string_view> parts;
  std::string_view flags;
  if (pattern.size() > 1 && pattern[0] == 's' && IsDelimiter(pattern[1])) {
    if (!SplitParts(pattern.substr(1), 2, parts, flags)) return false;
    if (!Compile(parts[0], flags, true, program)) return false;
    if (!ParseReplacement(UnescapeDelimiter(parts[1], pattern[1]), program)) return false;
    program.form = ProgramForm::Substitute;
    return true;
  }
  size_t skip = pattern.starts_with("tr") ? 2 : pattern.starts_with("y") ? 1 : 0;
  if (skip > 0 && pattern.size() > skip && IsDelimiter(pattern[skip])) {
    const char delimiter = pattern[skip];
    if (!SplitParts(pattern.substr(skip), 2, parts, flags)) return false;
    bool complement = false, remove = false, squeeze = false;
    for (char f : flags) {
      if (f == 'c')
        complement = true;
      else if (f == 'd')
        remove = true;
      else if (f == 's')
        squeeze = true;
      else if (f != 'k')
        return false;
    }
    if (!program.transliteration.Parse(UnescapeDelimiter(parts[0], delimiter),
                                       UnescapeDelimiter(parts[1], delimiter), complement, remove, squeeze))
      return false;
    program.form = ProgramForm::Transliterate;
    return true;
  }
  std::string_view body;
  if (pattern.size() > 1 && pattern[0] == 'm' && IsDelimiter(pattern[1]))
    body = pattern.substr(1);
  else if (!pattern.empty() && pattern[0] == '/')
    body = pattern;
  else
    return false;
  if (!SplitParts(body, 1, parts, flags)) return false;
  if (!Compile(parts[0], flags, false, program)) return false;
  program.form = ProgramForm::Match;
  return true;
}

struct StringHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};

struct Cache {
  std::unordered_map<std::string, std::unique_ptr<RegexpProgram>, StringHash, std::equal_to<>> programs;
  std::string lastPattern;
  const RegexpProgram* lastProgram = nullptr;
};

// Owns the thread's match context and JIT stack.
class MatchSetup {
 public:
  MatchSetup() : context_(pcre2_match_context_create(nullptr)) {
    stack_ = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    // Without a stack of our own (out of memory) PCRE2 uses its small default one.
    if (context_ && stack_) pcre2_jit_stack_assign(context_, nullptr, stack_);
  }
  ~MatchSetup() {
    if (context_) pcre2_match_context_free(context_);
    if (stack_) pcre2_jit_stack_free(stack_);
  }
  MatchSetup(const MatchSetup&) = delete;
  MatchSetup& operator=(const MatchSetup&) = delete;
  pcre2_match_context* Context() const { return context_; }

 private:
  pcre2_match_context* context_ = nullptr;
  pcre2_jit_stack* stack_ = nullptr;
};

}  // namespace

pcre2_match_context* MatchContext() {
  thread_local MatchSetup setup;
  return setup.Context();
}

RegexpProgram::~RegexpProgram() {
  if (matchData) pcre2_match_data_free(matchData);
  if (code) pcre2_code_free(code);
}

const RegexpProgram& FindProgram(std::string_view pattern) {
  thread_local Cache cache;
  if (cache.lastProgram && cache.lastPattern == pattern) return *cache.lastProgram;
  auto it = cache.programs.find(pattern);
  if (it == cache.programs.end()) {
    if (cache.programs.size() >= kCacheLimit) cache.programs.clear();
    auto program = std::make_unique<RegexpProgram>();
    if (!Build(pattern, *program)) {
      auto invalid = std::make_unique<RegexpProgram>();  // drop half-built parts
      program = std::move(invalid);
    }
    it = cache.programs.emplace(std::string(pattern), std::move(program)).first;
  }
  cache.lastPattern.assign(pattern);
  cache.lastProgram = it->second.get();
  return *cache.lastProgram;
}

}  // namespace hozanki::regexp_detail
