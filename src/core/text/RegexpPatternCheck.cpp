#include "core/text/RegexpPatternCheck.h"

#include "core/text/Regexp.h"

namespace hozanki {

namespace {

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

}  // namespace

RegexpPatternCheck CheckRegexpPattern(std::string_view text) {
  RegexpPatternCheck check;
  std::string plain = ReplaceAll(std::string(text), "\\\\", "\\_");
  plain = ReplaceAll(std::move(plain), "\\/", "\\_");
  RegexpResult result;
  check.acceptable = BMatch("m#^(s|tr)/[^/]+/[^/]*/[^/]*$#", plain, result) == 1;
  if (text.starts_with("s/"))
    check.kind = RegexpPatternKind::Substitute;
  else if (text.starts_with("tr/"))
    check.kind = RegexpPatternKind::Transliterate;
  return check;
}

std::string SwitchRegexpPatternKind(std::string_view text, RegexpPatternKind kind) {
  const std::string_view prefix = kind == RegexpPatternKind::Substitute ? "s/" : "tr/";
  if (text.empty()) return std::string(prefix) + "//";
  size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::string(prefix) + std::string(text) + "//";
  std::string_view rest = text;
  if (slash == 0)
    rest.remove_prefix(1);
  else if (rest.starts_with("s/"))
    rest.remove_prefix(2);
  else if (rest.starts_with("tr/"))
    rest.remove_prefix(3);
  return std::string(prefix) + std::string(rest);
}

}  // namespace hozanki
