#include "core/common/Utf8.h"

namespace hozanki {

size_t DecodeUtf8Char(std::string_view text, size_t pos, char32_t& cp) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char c0 = byte(pos);
  if (c0 < 0x80) {
    cp = c0;
    return 1;
  }
  size_t len;
  char32_t value;
  char32_t min;
  if ((c0 & 0xE0) == 0xC0) {
    len = 2, value = c0 & 0x1F, min = 0x80;
  } else if ((c0 & 0xF0) == 0xE0) {
    len = 3, value = c0 & 0x0F, min = 0x800;
  } else if ((c0 & 0xF8) == 0xF0) {
    len = 4, value = c0 & 0x07, min = 0x10000;
  } else {
    cp = 0xFFFD;
    return 1;
  }
  if (pos + len > text.size()) {
    cp = 0xFFFD;
    return 1;
  }
  for (size_t i = 1; i < len; ++i) {
    unsigned char c = byte(pos + i);
    if ((c & 0xC0) != 0x80) {
      cp = 0xFFFD;
      return 1;
    }
    value = (value << 6) | (c & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    cp = 0xFFFD;
    return 1;
  }
  cp = value;
  return len;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsValidUtf8(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80) {
      ++pos;
      continue;
    }
    char32_t cp;
    size_t len = DecodeUtf8Char(text, pos, cp);
    if (len == 1) return false;  // only a malformed sequence decodes to one byte here
    pos += len;
  }
  return true;
}

}  // namespace hozanki
