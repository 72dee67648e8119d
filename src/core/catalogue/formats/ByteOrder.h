#pragma once
// Bounds-checked integer reads from byte buffers, for the project's own
// media header parsers. Out-of-range reads give 0 and never touch memory
// outside the buffer.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace hozanki {

inline uint64_t ReadLE(std::string_view data, size_t offset, int bytes) {
  if (offset > data.size() || data.size() - offset < static_cast<size_t>(bytes)) return 0;
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data[offset + i]);
  return v;
}

inline uint64_t ReadBE(std::string_view data, size_t offset, int bytes) {
  if (offset > data.size() || data.size() - offset < static_cast<size_t>(bytes)) return 0;
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<unsigned char>(data[offset + i]);
  return v;
}

inline uint32_t Le32(std::string_view d, size_t o) { return static_cast<uint32_t>(ReadLE(d, o, 4)); }
inline uint16_t Le16(std::string_view d, size_t o) { return static_cast<uint16_t>(ReadLE(d, o, 2)); }
inline uint32_t Be32(std::string_view d, size_t o) { return static_cast<uint32_t>(ReadBE(d, o, 4)); }
inline uint16_t Be16(std::string_view d, size_t o) { return static_cast<uint16_t>(ReadBE(d, o, 2)); }

// Bytes [offset, offset + size) of `data`, cut at its end.
inline std::string_view Slice(std::string_view data, size_t offset, size_t size) {
  if (offset >= data.size()) return {};
  return data.substr(offset, size);
}

inline void PutLE32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void PutBE32(std::string& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Up to `size` bytes of a file from `offset`; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path, uint64_t offset, size_t size);

}  // namespace hozanki
