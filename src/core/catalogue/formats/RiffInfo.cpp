#include "core/catalogue/formats/RiffInfo.h"

#include <taglib/infotag.h>

#include <algorithm>

#include "core/catalogue/formats/ByteOrder.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

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

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string_view UpToNul(std::string_view bytes) {
  if (size_t nul = bytes.find('\0'); nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  return bytes;
}

// Whether DecodeTagText takes the bytes for UTF-8.
bool ReadsAsUtf8(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom && IsValidUtf8(bytes.substr(kUtf8Bom.size()))) return true;
  return !IsAscii(bytes) && IsValidUtf8(bytes);
}

std::string EncodeInfoText(std::string_view utf8, bool utf8Wanted) {
  if (IsAscii(utf8)) return std::string(utf8);
  if (!utf8Wanted)
    if (std::optional<std::string> bytes = EncodeTagTextCp932(utf8)) return *bytes;
  return EncodeTagTextUtf8(utf8);
}

}  // namespace

InfoTextMode InfoTextModeFromOption(std::string_view name, std::string_view value, InfoTextMode current) {
  if (name != "mp3_ID3v2Unicode") return current;
  if (value == "0") return InfoTextMode::kLegacy;
  if (value == "1") return InfoTextMode::kUnicode;
  return current;
}

std::string EncodeLegacyText(std::string_view utf8) {
  return EncodeInfoText(utf8, false);
}

std::string DecodeLegacyText(std::string_view bytes) {
  return DecodeTagText(UpToNul(bytes));
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

InfoList InfoList::Parse(std::string_view data) {
  InfoList list;
  size_t pos = 0;
  while (data.size() - pos >= 8) {
    std::string_view id = data.substr(pos, 4);
    uint32_t size = Le32(data, pos + 4);
    if (!IsInfoFieldName(id) || size > data.size() - pos - 8) break;
    // A last chunk of odd size may lack its pad byte.
    size_t span = std::min<size_t>(8 + static_cast<size_t>(size) + (size & 1), data.size() - pos);
    std::string_view body = UpToNul(data.substr(pos + 8, size));
    InfoChunk chunk;
    chunk.id = std::string(id);
    chunk.bytes = std::string(data.substr(pos, span));
    chunk.text = DecodeTagText(body);
    chunk.form = ReadsAsUtf8(body) ? InfoChunk::Form::kUtf8
                 : IsAscii(body)   ? InfoChunk::Form::kAscii
                                   : InfoChunk::Form::kLegacy;
    list.chunks_.push_back(std::move(chunk));
    pos += span;
  }
  list.tail_ = std::string(data.substr(pos));
  return list;
}

std::string InfoList::Get(std::string_view id) const {
  for (const InfoChunk& c : chunks_)
    if (c.id == id) return c.text;
  return {};
}

bool InfoList::Set(std::string_view id, std::string_view utf8) {
  if (!IsInfoFieldName(id)) return false;
  auto first = std::find_if(chunks_.begin(), chunks_.end(), [&](const InfoChunk& c) { return c.id == id; });
  if (!utf8.empty() && first != chunks_.end() && first->text == utf8) return false;
  bool changed = false;
  if (!utf8.empty()) {
    if (first == chunks_.end()) {
      InfoChunk added;
      added.id = std::string(id);
      chunks_.push_back(std::move(added));
      first = chunks_.end() - 1;
    }
    first->text = std::string(utf8);
    first->changed = true;
    changed = true;
    ++first;
  }
  auto kept = std::remove_if(first, chunks_.end(), [&](const InfoChunk& c) { return c.id == id; });
  changed = changed || kept != chunks_.end();
  chunks_.erase(kept, chunks_.end());
  changed_ = changed_ || changed;
  return changed;
}

std::vector<std::pair<std::string, std::string>> InfoList::Fields() const {
  std::vector<std::pair<std::string, std::string>> fields;
  fields.reserve(chunks_.size());
  for (const InfoChunk& c : chunks_) fields.emplace_back(c.id, c.text);
  return fields;
}

std::string InfoList::RenderBody(InfoTextMode mode, size_t slack) const {
  bool listUtf8 = std::any_of(chunks_.begin(), chunks_.end(),
                              [](const InfoChunk& c) { return c.form == InfoChunk::Form::kUtf8; });
  std::string body = "INFO";
  for (const InfoChunk& c : chunks_) {
    if (!c.changed) {
      body += c.bytes;
    } else {
      bool utf8 = mode == InfoTextMode::kUnicode ||
                  (mode == InfoTextMode::kAsFile &&
                   (c.form == InfoChunk::Form::kUtf8 || (c.form == InfoChunk::Form::kAscii && listUtf8)));
      std::string data = EncodeInfoText(c.text, utf8);
      data.push_back('\0');
      data.append(slack, '\0');
      slack = 0;
      body += c.id;
      PutLE32(body, static_cast<uint32_t>(data.size()));
      body += data;
    }
    if (body.size() & 1) body.push_back('\0');
  }
  body += tail_;
  body.append(slack, '\0');
  return body;
}

std::string InfoList::Render(InfoTextMode mode, size_t slack) const {
  if (Empty() && slack == 0) return {};
  std::string body = RenderBody(mode, slack);
  std::string chunk = "LIST";
  PutLE32(chunk, static_cast<uint32_t>(body.size()));
  return chunk + body;
}

}  // namespace hozanki
