#include "core/text/Substring.h"

#include "core/common/IntegerText.h"
#include "core/text/TextWidth.h"

namespace hozanki {

namespace {

long long ParseNumber(std::string_view text) {
  int value = 0;
  if (!ParseInteger(text, value)) return 0;
  return value;
}

}  // namespace

std::string Substring(std::string_view text, std::string_view spec) {
  size_t comma = spec.find(',');
  long long start = ParseNumber(spec.substr(0, comma));
  long long end = comma == std::string_view::npos ? 0 : ParseNumber(spec.substr(comma + 1));

  const long long length = static_cast<long long>(TextWidth(text));
  const long long first = start >= 0 ? start + 1 : length + start + 1;
  const long long last = end > 0 ? end : length + end;
  // The count is taken before the first position is raised to 1, so
  // "-10,3" on a 6-wide text keeps 7 positions (the whole text).
  const long long count = last - first + 1;
  if (count <= 0 || first > length) return {};
  const long long from = first < 1 ? 1 : first;
  const long long to = from + count - 1 < length ? from + count - 1 : length;

  // Keep every character whose width positions lie wholly in [from, to].
  long long position = 0;  // width before the current character
  size_t pos = 0;
  size_t keepBegin = std::string_view::npos;
  size_t keepEnd = 0;
  while (pos < text.size() && position < to) {
    char32_t cp;
    size_t len = DecodeUtf8Char(text, pos, cp);
    long long width = CharWidth(cp);
    if (position + 1 >= from && position + width <= to) {
      if (keepBegin == std::string_view::npos) keepBegin = pos;
      keepEnd = pos + len;
    }
    position += width;
    pos += len;
  }
  if (keepBegin == std::string_view::npos) return {};
  return std::string(text.substr(keepBegin, keepEnd - keepBegin));
}

}  // namespace hozanki
