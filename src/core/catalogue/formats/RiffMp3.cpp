#include "core/catalogue/formats/RiffMp3.h"

#include "core/text/Cp932.h"

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
  RiffInfo info;
  if (payload.size() < 4 || payload.substr(0, 4) != "INFO") return info;
  size_t pos = 4;
  while (pos + 8 <= payload.size()) {
    std::string id(payload.substr(pos, 4));
    size_t size = std::min<size_t>(Le32(payload, pos + 4), payload.size() - pos - 8);
    std::string_view text = payload.substr(pos + 8, size);
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    info.emplace_back(std::move(id), DecodeLegacy(text));
    pos += 8 + size + (size & 1);
  }
  return info;
}

std::string RenderRiffInfo(const RiffInfo& info) {
  std::string body = "INFO";
  for (const auto& [id, value] : info) {
    if (value.empty() || id.size() != 4) continue;
    std::optional<std::string> bytes = EncodeCp932(value);
    std::string text = bytes ? *bytes : std::string(kUtf8Bom) + value;
    text.push_back('\0');
    body += ChunkHeader(id, text.size());
    body += text;
    if (text.size() & 1) body.push_back('\0');
  }
  if (body.size() == 4) return {};
  return ChunkHeader("LIST", body.size()) + body;
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
