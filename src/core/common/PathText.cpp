#include "core/common/PathText.h"

#include <optional>

#include "core/common/Utf8.h"

namespace hozanki {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower case is not the escape form
}

// Every byte outside valid UTF-8 and every "%" as "%XX".
std::string Escape(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  size_t pos = 0;
  while (pos < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[pos]);
    size_t length = 1;
    if (c >= 0x80) {
      char32_t cp;
      length = DecodeUtf8Char(bytes, pos, cp);
    }
    if (c == '%' || (c >= 0x80 && length == 1)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out.append(bytes.substr(pos, length));
    }
    pos += length;
  }
  return out;
}

// The bytes of a text whose every "%" starts an upper-case "%XX"; nothing
// when some "%" does not.
std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

bool NeedsEscape(std::string_view bytes);

}  // namespace

bool IsEscapedPathText(std::string_view text) {
  if (text.find('%') == std::string_view::npos) return false;
  const std::optional<std::string> bytes = Unescape(text);
  // The escape form is canonical: only the text that EncodePathText would
  // give for those bytes counts.
  return bytes && NeedsEscape(*bytes) && Escape(*bytes) == text;
}

namespace {

bool NeedsEscape(std::string_view bytes) {
  return !IsValidUtf8(bytes) || IsEscapedPathText(bytes);
}

}  // namespace

std::string EncodePathText(std::string_view bytes) {
  return NeedsEscape(bytes) ? Escape(bytes) : std::string(bytes);
}

std::string DecodePathText(std::string_view text) {
  if (IsEscapedPathText(text)) return *Unescape(text);
  return std::string(text);
}

}  // namespace hozanki
