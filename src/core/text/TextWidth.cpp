#include "core/text/TextWidth.h"

namespace hozanki {

size_t TextWidth(std::string_view text) {
  size_t width = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80) {
      ++width;
      ++pos;
      continue;
    }
    char32_t cp;
    pos += DecodeUtf8Char(text, pos, cp);
    width += static_cast<size_t>(CharWidth(cp));
  }
  return width;
}

std::string_view CutToWidth(std::string_view text, size_t width) {
  size_t used = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    size_t len = DecodeUtf8Char(text, pos, cp);
    size_t w = static_cast<size_t>(CharWidth(cp));
    if (used + w > width) break;
    used += w;
    pos += len;
  }
  return text.substr(0, pos);
}

size_t ByteOffsetOfWidth(std::string_view text, size_t width) {
  size_t used = 0;
  size_t pos = 0;
  while (pos < text.size() && used < width) {
    char32_t cp;
    pos += DecodeUtf8Char(text, pos, cp);
    used += static_cast<size_t>(CharWidth(cp));
  }
  return pos;
}

size_t ExtensionPos(std::string_view name) { return name.rfind('.'); }

}  // namespace hozanki
