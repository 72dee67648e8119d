#pragma once
// Byte-level pieces of the ID3v2 layout shared by the tag reader and writer,
// the quick reader and the version converter. None of them checks bounds:
// callers make sure the bytes they name are there.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace hozanki::id3v2 {

// The 28-bit number in the four syncsafe bytes at `pos`.
inline uint32_t Syncsafe(std::string_view d, size_t pos) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = (v << 7) | (uint8_t(d[pos + i]) & 0x7F);
  return v;
}

inline uint32_t Be32(std::string_view d, size_t pos) {
  return (uint32_t(uint8_t(d[pos])) << 24) | (uint32_t(uint8_t(d[pos + 1])) << 16) |
         (uint32_t(uint8_t(d[pos + 2])) << 8) | uint32_t(uint8_t(d[pos + 3]));
}

// `body` with the zero byte after each 0xFF removed (undoes unsynchronisation).
inline std::string Deunsync(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    out.push_back(body[i]);
    if (uint8_t(body[i]) == 0xFF && i + 1 < body.size() && body[i + 1] == '\0') ++i;
  }
  return out;
}

inline bool IsFrameId(std::string_view id) {
  return id.size() == 4 && std::all_of(id.begin(), id.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
         });
}

// The size of the version 2.4 frame whose header starts at `pos`, as TagLib
// reads it: syncsafe, but a plain big-endian number when a byte has its top
// bit set or when only that reading lands on the next frame (some writers put
// version 2.3 sizes there).
inline size_t FrameSize24(std::string_view data, size_t pos) {
  uint32_t plain = Be32(data, pos + 4);
  if (plain & 0x80808080u) return plain;
  size_t size = Syncsafe(data, pos + 4);
  auto idAt = [&data](size_t at) { return at + 4 <= data.size() ? data.substr(at, 4) : std::string_view(); };
  if (size > 127 && !IsFrameId(idAt(pos + 10 + size)) && IsFrameId(idAt(pos + 10 + plain))) return plain;
  return size;
}

}  // namespace hozanki::id3v2
