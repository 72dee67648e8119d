#include "core/catalogue/formats/Id3v2Room.h"

#include <algorithm>

namespace hozanki {
namespace {

constexpr uint64_t kNewTagRoom = 2048, kNewTagAlign = 4096;

}  // namespace

size_t Id3v2UsedSize(std::string_view tag) {
  size_t n = tag.size();
  while (n > 10 && tag[n - 1] == '\0') --n;
  if (tag.size() < 10 || (uint8_t(tag[5]) & 0x80)) return n;  // sizes of unsynchronised frames are not the bytes'
  const int version = uint8_t(tag[3]);
  const size_t head = version == 2 ? 6 : 10;
  size_t pos = 10;
  while (pos + head <= tag.size() && tag[pos] != '\0') {
    uint64_t size = 0;
    for (size_t i = 0; i < (version == 2 ? 3u : 4u); ++i)
      size = (size << (version == 4 ? 7 : 8)) | uint8_t(tag[pos + (version == 2 ? 3 : 4) + i]);
    if (size > tag.size() - pos - head) break;
    pos += head + static_cast<size_t>(size);
  }
  return std::max(n, pos);
}

bool HasId3v2Footer(std::string_view tag) {
  return tag.size() >= 10 && uint8_t(tag[3]) == 4 && (uint8_t(tag[5]) & 0x10);
}

std::string FitId3v2(std::string_view tag, uint64_t space) {
  if (tag.size() < 10 || HasId3v2Footer(tag) || space < 10 || space - 10 >= (1u << 28)) return {};
  size_t used = Id3v2UsedSize(tag);
  if (used > space) return {};
  std::string out(tag.substr(0, used));
  out.resize(static_cast<size_t>(space), '\0');
  uint32_t body = static_cast<uint32_t>(space - 10);
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(9 - i)] = static_cast<char>((body >> (7 * i)) & 0x7F);
  return out;
}

std::string PadNewId3v2(const std::string& tag) {
  if (tag.size() < 10 || HasId3v2Footer(tag)) return tag;
  uint64_t used = Id3v2UsedSize(tag);
  uint64_t size = (used + kNewTagRoom + kNewTagAlign - 1) / kNewTagAlign * kNewTagAlign;
  std::string out = FitId3v2(tag, size);
  return out.empty() ? tag : out;
}

void Id3v2SaveOptions::Set(std::string_view name, std::string_view value) {
  if (name == "mp3_ID3v2Unicode" && (value == "0" || value == "1")) unicode = value == "1";
  if (name == "mp3_ID3v2Unsync" && (value == "0" || value == "1")) unsync = value == "1";
  if (name == "mp3_SaveID3v2Version") {
    if (value == "2.2") version = 2;
    if (value == "2.3") version = 3;
    if (value == "2.4") version = 4;
  }
}

}  // namespace hozanki
