#include "core/catalogue/formats/RiffInfo.h"

#include <taglib/infotag.h>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/text/Cp932.h"

namespace hozanki {
namespace {

class LegacyInfoHandler : public TagLib::RIFF::Info::StringHandler {
 public:
  TagLib::String parse(const TagLib::ByteVector& data) const override {
    std::string text = DecodeLegacyText(std::string_view(data.data(), data.size()));
    return TagLib::String(text, TagLib::String::UTF8);
  }
  TagLib::ByteVector render(const TagLib::String& s) const override {
    std::string bytes = EncodeLegacyText(s.to8Bit(true));
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()));
  }
};

}  // namespace

std::string EncodeLegacyText(std::string_view utf8) {
  if (auto bytes = EncodeCp932(utf8)) return *bytes;
  return std::string(kUtf8Bom) + std::string(utf8);
}

std::string DecodeLegacyText(std::string_view bytes) {
  if (size_t nul = bytes.find('\0'); nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  return DecodeLegacy(bytes);
}

void InstallRiffInfoStringHandler() {
  static LegacyInfoHandler handler;
  static const bool installed = [] {
    TagLib::RIFF::Info::Tag::setStringHandler(&handler);
    return true;
  }();
  (void)installed;
}

bool IsInfoFieldName(std::string_view name) {
  if (name.size() != 4) return false;
  for (char c : name) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ';
    if (!ok) return false;
  }
  return true;
}

InfoFields ParseInfoList(std::string_view data) {
  InfoFields fields;
  size_t pos = 0;
  while (data.size() - pos >= 8) {
    std::string id(data.substr(pos, 4));
    uint32_t size = Le32(data, pos + 4);
    if (!IsInfoFieldName(id) || size > data.size() - pos - 8) break;
    fields.emplace_back(id, DecodeLegacyText(data.substr(pos + 8, size)));
    pos += 8 + static_cast<size_t>(size) + (size & 1);
  }
  return fields;
}

std::string RenderInfoList(const InfoFields& fields) {
  std::string body = "INFO";
  for (const auto& [id, text] : fields) {
    if (text.empty() || !IsInfoFieldName(id)) continue;
    std::string bytes = EncodeLegacyText(text);
    bytes.push_back('\0');
    body += id;
    PutLE32(body, static_cast<uint32_t>(bytes.size()));
    body += bytes;
    if (bytes.size() & 1) body.push_back('\0');
  }
  if (body.size() == 4) return {};
  std::string chunk = "LIST";
  PutLE32(chunk, static_cast<uint32_t>(body.size()));
  return chunk + body;
}

}  // namespace hozanki
