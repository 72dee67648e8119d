#include "core/catalogue/formats/Id3v2QuickReader.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "core/catalogue/GenreList.h"
#include "core/catalogue/formats/Id3v2Bytes.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

using id3v2::Be32;
using id3v2::Syncsafe;

std::string Utf16ToUtf8(std::string_view b, bool bigEndian) {
  std::string out;
  for (size_t i = 0; i + 1 < b.size(); i += 2) {
    char32_t u = bigEndian ? (char32_t(uint8_t(b[i])) << 8) | uint8_t(b[i + 1])
                           : (char32_t(uint8_t(b[i + 1])) << 8) | uint8_t(b[i]);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
      char32_t low = bigEndian ? (char32_t(uint8_t(b[i + 2])) << 8) | uint8_t(b[i + 3])
                               : (char32_t(uint8_t(b[i + 3])) << 8) | uint8_t(b[i + 2]);
      if (low >= 0xDC00 && low < 0xE000) {
        u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(out, u);
  }
  return out;
}

// One field of a text in `encoding` as UTF-8; ISO-8859-1 bytes are code page 932.
std::string DecodeField(std::string_view b, int encoding) {
  switch (encoding) {
    case 0:
      return DecodeTagText(b);
    case 1: {
      bool big = true;
      if (b.size() >= 2 && uint8_t(b[0]) == 0xFF && uint8_t(b[1]) == 0xFE) {
        big = false;
        b.remove_prefix(2);
      } else if (b.size() >= 2 && uint8_t(b[0]) == 0xFE && uint8_t(b[1]) == 0xFF) {
        b.remove_prefix(2);
      }
      return Utf16ToUtf8(b, big);
    }
    case 2:
      return Utf16ToUtf8(b, true);
    default:
      return IsValidUtf8(b) ? std::string(b) : DecodeCp932(b);
  }
}

// Splits text bytes at the encoding's terminator (one or two zero bytes).
std::vector<std::string_view> SplitFields(std::string_view b, int encoding, size_t maxFields = 0) {
  std::vector<std::string_view> out;
  size_t width = (encoding == 1 || encoding == 2) ? 2 : 1;
  size_t start = 0;
  for (size_t i = 0; i + width <= b.size(); i += width) {
    if (maxFields && out.size() + 1 == maxFields) break;
    if (b[i] == '\0' && (width == 1 || b[i + 1] == '\0')) {
      out.push_back(b.substr(start, i - start));
      start = i + width;
    }
  }
  if (start < b.size()) out.push_back(b.substr(start));
  while (!out.empty() && out.back().empty()) out.pop_back();
  return out;
}

std::string_view TrimTerminators(std::string_view b, int encoding) {
  size_t width = (encoding == 1 || encoding == 2) ? 2 : 1;
  while (b.size() >= width && b.substr(b.size() - width).find_first_not_of('\0') == std::string_view::npos)
    b.remove_suffix(width);
  return b;
}

// TCON "(13)(7)Pop" as separate fields, as TagLib reads a version 2.3 genre.
std::vector<std::string> GenreFields(const std::string& text) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < text.size() && text[pos] == '(' && pos + 1 < text.size() && text[pos + 1] != '(') {
    size_t close = text.find(')', pos);
    if (close == std::string::npos) break;
    out.push_back(text.substr(pos + 1, close - pos - 1));
    pos = close + 1;
  }
  if (pos < text.size())
    out.push_back(pos + 1 < text.size() && text.compare(pos, 2, "((") == 0 ? text.substr(pos + 1)
                                                                           : text.substr(pos));
  return out;
}

std::string JoinDistinct(const std::vector<std::string>& fields) {
  std::string out;
  std::vector<std::string> seen;
  for (const std::string& f : fields) {
    if (f.empty() || std::find(seen.begin(), seen.end(), f) != seen.end()) continue;
    seen.push_back(f);
    if (!out.empty()) out += "/";
    out += f;
  }
  return out;
}

int StemOfFrame(std::string_view id) {
  for (size_t i = 0; i < kId3v2StemFrames.size(); ++i)
    if (kId3v2StemFrames[i] == id) return static_cast<int>(i);
  if (id == "TYER") return 4;
  return -1;
}

}  // namespace

std::string Id3v2GenreField(std::string text) {
  std::string_view v = text;
  if (v.size() > 2 && v.front() == '(' && v.back() == ')') v = v.substr(1, v.size() - 2);
  int code = -1;
  auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), code);
  if (ec == std::errc() && p == v.data() + v.size() && !v.empty()) {
    std::string_view name = GenreName(code);
    if (!name.empty()) return std::string(name);
  }
  return text;
}

std::optional<std::array<std::string, kId3v2StemCount>> QuickReadId3v2(std::string_view tag) {
  if (tag.size() < 10 || tag.substr(0, 3) != "ID3") return std::nullopt;
  int version = uint8_t(tag[3]);
  uint8_t flags = uint8_t(tag[5]);
  if ((version != 3 && version != 4) || (flags & 0x40)) return std::nullopt;  // extended header
  size_t end = std::min<size_t>(tag.size(), 10 + Syncsafe(tag, 6));
  if ((flags & 0x80) && version == 3) return std::nullopt;  // whole-tag unsynchronisation: TagLib
  std::array<std::string, kId3v2StemCount> values;
  std::array<bool, kId3v2StemCount> seen{};
  bool haveComment = false, haveUrl = false, haveLyrics = false;
  constexpr size_t kLyrics = kId3v2StemCount - 1;
  size_t pos = 10;
  while (pos + 10 <= end && tag[pos] != '\0') {
    std::string_view id = tag.substr(pos, 4);
    size_t size = version == 4 ? Syncsafe(tag, pos + 4) : Be32(tag, pos + 4);
    if (size > end - pos - 10) return std::nullopt;
    uint8_t format = uint8_t(tag[pos + 9]);
    std::string_view body = tag.substr(pos + 10, size);
    pos += 10 + size;
    if (id == "TDAT" || id == "TIME" || id == "TDRL") return std::nullopt;
    int stem = StemOfFrame(id);
    if (stem < 0) continue;
    if (version == 4 ? (format & 0x4F) != 0 : (format & 0xE0) != 0) return std::nullopt;
    if (body.empty()) continue;
    int encoding = uint8_t(body[0]);
    if (encoding > 3) return std::nullopt;
    if (id == "COMM") {
      if (haveComment || body.size() < 4) continue;
      std::vector<std::string_view> parts = SplitFields(body.substr(4), encoding, 2);
      std::string_view description = parts.empty() ? std::string_view() : parts[0];
      std::string_view text = parts.size() > 1 ? TrimTerminators(parts[1], encoding) : std::string_view();
      if (description.empty()) {
        values[6] = DecodeField(text, encoding);
        haveComment = true;
      } else if (!seen[6] && DecodeField(description, encoding).rfind("iTun", 0) != 0) {
        values[6] = DecodeField(text, encoding);
        seen[6] = true;
      }
      continue;
    }
    if (id == "USLT") {
      // The lyrics with an empty description, else the first.
      if (haveLyrics || body.size() < 4) continue;
      std::vector<std::string_view> parts = SplitFields(body.substr(4), encoding, 2);
      std::string_view description = parts.empty() ? std::string_view() : parts[0];
      std::string_view text = parts.size() > 1 ? TrimTerminators(parts[1], encoding) : std::string_view();
      const bool undescribed = DecodeField(description, encoding).empty();  // a UTF-16 one may be a bare BOM
      if (undescribed || !seen[kLyrics]) values[kLyrics] = DecodeField(text, encoding);
      seen[kLyrics] = true;
      haveLyrics = undescribed;
      continue;
    }
    if (id == "WXXX") {
      if (haveUrl) continue;
      std::vector<std::string_view> parts = SplitFields(body.substr(1), encoding, 2);
      std::string_view url = parts.size() > 1 ? parts[1] : std::string_view();
      while (!url.empty() && url.back() == '\0') url.remove_suffix(1);
      bool emptyDescription = parts.empty() || parts[0].empty();
      if (emptyDescription || !seen[9]) values[9] = DecodeTagText(url);
      seen[9] = true;
      haveUrl = emptyDescription;
      continue;
    }
    if (seen[static_cast<size_t>(stem)] && !(stem == 4 && id == "TDRC")) continue;
    seen[static_cast<size_t>(stem)] = true;
    std::vector<std::string> fields;
    for (std::string_view f : SplitFields(body.substr(1), encoding)) {
      std::string text = DecodeField(f, encoding);
      if (stem == 5 && version == 3) {
        for (std::string& g : GenreFields(text)) fields.push_back(Id3v2GenreField(std::move(g)));
      } else if (stem == 5) {
        fields.push_back(Id3v2GenreField(std::move(text)));
      } else {
        fields.push_back(std::move(text));
      }
    }
    values[static_cast<size_t>(stem)] = JoinDistinct(fields);
  }
  return values;
}

}  // namespace hozanki
