#include "core/text/Cp932.h"

#include <cerrno>
#include <cstring>

#include "core/text/EncodingRepair.h"
#include "core/text/IconvConverter.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

IconvConverter& ToCp932() {
  thread_local IconvConverter c("CP932", "UTF-8");
  return c;
}
IconvConverter& FromCp932() {
  thread_local IconvConverter c("UTF-8", "CP932");
  return c;
}

bool IsAscii(std::string_view s) {
  for (unsigned char ch : s)
    if (ch >= 0x80) return false;
  return true;
}

void AppendLatin1(std::string& out, unsigned char ch) {
  if (ch < 0x80) {
    out.push_back(static_cast<char>(ch));
  } else {
    out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
    out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  }
}

bool IsLeadByte(unsigned char ch) {
  return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC);
}

}  // namespace

std::optional<std::string> EncodeCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::string bytes;
  if (!ToCp932().Convert(utf8, bytes)) return std::nullopt;
  std::string back;
  if (!FromCp932().Convert(bytes, back) || back != utf8) return std::nullopt;
  return bytes;
}

bool FitsCp932(std::string_view utf8) {
  return EncodeCp932(utf8).has_value();
}

std::string DecodeCp932(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  std::string out;
  if (FromCp932().Convert(bytes, out)) return out;
  // Slow path: decode character by character, reading what is not code
  // page 932 as ISO-8859-1.
  out.clear();
  std::string piece;
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char ch = static_cast<unsigned char>(bytes[i]);
    if (ch < 0x80) {
      out.push_back(static_cast<char>(ch));
      ++i;
      continue;
    }
    size_t len = (IsLeadByte(ch) && i + 1 < bytes.size()) ? 2 : 1;
    if (FromCp932().Convert(bytes.substr(i, len), piece)) {
      out += piece;
      i += len;
    } else {
      AppendLatin1(out, ch);
      ++i;
    }
  }
  return out;
}

std::string DecodeLegacy(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    std::string_view rest = bytes.substr(kUtf8Bom.size());
    if (IsValidUtf8(rest)) return std::string(rest);
  }
  return DecodeCp932(bytes);
}

std::string DecodeTagText(std::string_view bytes) {
  if (IsAscii(bytes)) return std::string(bytes);
  return ReadLegacyBytes(bytes).text;
}

std::optional<std::string> EncodeTagTextCp932(std::string_view utf8) {
  std::optional<std::string> bytes = EncodeCp932(utf8);
  if (bytes && !IsAscii(*bytes) && DecodeTagText(*bytes) != utf8) return std::nullopt;
  return bytes;
}

std::string EncodeTagTextUtf8(std::string_view utf8) {
  if (utf8.substr(0, kUtf8Bom.size()) == kUtf8Bom) return std::string(kUtf8Bom) + std::string(utf8);
  return std::string(utf8);
}

std::optional<MisfitCharacter> FirstMisfitCp932(std::string_view utf8) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = 0;
    size_t len = DecodeUtf8Char(utf8, pos, cp);
    std::string_view ch = utf8.substr(pos, len);
    if (static_cast<unsigned char>(ch[0]) >= 0x80 && !FitsCp932(ch))
      return MisfitCharacter{std::string(ch), pos};
    pos += len;
  }
  return std::nullopt;
}

}  // namespace hozanki
