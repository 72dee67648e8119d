#include "core/catalogue/formats/RiffMp3.h"

namespace hozanki {
namespace {

void AppendLe32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

uint32_t Le32(std::string_view d, size_t pos) {
  return uint32_t(uint8_t(d[pos])) | (uint32_t(uint8_t(d[pos + 1])) << 8) |
         (uint32_t(uint8_t(d[pos + 2])) << 16) | (uint32_t(uint8_t(d[pos + 3])) << 24);
}

bool IsRiffMp3(std::string_view head) {
  return head.size() >= 12 && head.substr(0, 4) == "RIFF" && head.substr(8, 4) == "RMP3";
}

RiffInfo ParseRiffInfo(std::string_view payload) {
  if (payload.size() < 4 || payload.substr(0, 4) != "INFO") return {};
  return InfoList::Parse(payload.substr(4));
}

std::string RenderRiffInfo(const RiffInfo& info, InfoTextMode mode) {
  std::string chunk = info.Render(mode);
  if (chunk.size() & 1) chunk.push_back('\0');
  return chunk;
}

InfoTextMode InfoTextModeOf(int unicodeOption) {
  return unicodeOption == 1   ? InfoTextMode::kUnicode
         : unicodeOption == 0 ? InfoTextMode::kLegacy
                              : InfoTextMode::kAsFile;
}

std::string RiffHeader(uint64_t bodySize, std::string_view form) {
  std::string out = "RIFF";
  AppendLe32(out, static_cast<uint32_t>(bodySize + 4));
  out += form;
  return out;
}

std::string ChunkHeader(std::string_view id, uint64_t size) {
  std::string out(id);
  AppendLe32(out, static_cast<uint32_t>(size));
  return out;
}

}  // namespace hozanki
