#include "core/catalogue/formats/ApeTagData.h"

#include <algorithm>

#include "core/catalogue/formats/RiffMp3.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

constexpr uint32_t kHasHeader = 0x80000000u;
constexpr uint32_t kIsHeader = 0x20000000u;
constexpr uint32_t kMaxTagSize = 64u << 20;

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

void AppendLe32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::string HeaderOrFooter(uint32_t size, uint32_t count, uint32_t flags) {
  std::string out = "APETAGEX";
  AppendLe32(out, 2000);
  AppendLe32(out, size);
  AppendLe32(out, count);
  AppendLe32(out, flags);
  out.append(8, '\0');
  return out;
}

}  // namespace

uint64_t ApeTagData::TagSizeAtEnd(std::string_view tail) {
  if (tail.size() < kApeFooterSize) return 0;
  std::string_view footer = tail.substr(tail.size() - kApeFooterSize);
  if (footer.substr(0, 8) != "APETAGEX") return 0;
  uint32_t version = Le32(footer, 8);
  uint32_t size = Le32(footer, 12);
  uint32_t flags = Le32(footer, 20);
  if ((version != 1000 && version != 2000) || size < kApeFooterSize || size > kMaxTagSize) return 0;
  uint64_t total = size;
  if (version == 2000 && (flags & kHasHeader)) total += kApeFooterSize;
  return total;
}

std::optional<ApeTagData> ApeTagData::Parse(std::string_view bytes) {
  uint64_t total = TagSizeAtEnd(bytes);
  if (total == 0 || total > bytes.size()) return std::nullopt;
  std::string_view footer = bytes.substr(bytes.size() - kApeFooterSize);
  ApeTagData tag;
  tag.version = static_cast<int>(Le32(footer, 8));
  uint32_t count = Le32(footer, 16);
  uint32_t size = Le32(footer, 12);
  std::string_view items = bytes.substr(bytes.size() - size, size - kApeFooterSize);
  size_t pos = 0;
  for (uint32_t i = 0; i < count && pos + 8 < items.size(); ++i) {
    uint32_t length = Le32(items, pos);
    uint32_t flags = Le32(items, pos + 4);
    size_t keyEnd = items.find('\0', pos + 8);
    if (keyEnd == std::string_view::npos || length > items.size() - keyEnd - 1) break;
    ApeItem item;
    item.key = std::string(items.substr(pos + 8, keyEnd - pos - 8));
    item.flags = flags;
    item.value = std::string(items.substr(keyEnd + 1, length));
    tag.items.push_back(std::move(item));
    pos = keyEnd + 1 + length;
  }
  return tag;
}

std::string ApeTagData::Get(std::string_view key) const {
  std::string joined;
  for (const std::string& text : Texts(key)) {
    if (!joined.empty()) joined += "/";
    joined += text;
  }
  return joined;
}

std::vector<std::string> ApeTagData::Texts(std::string_view key) const {
  for (const ApeItem& item : items) {
    if (!SameKey(item.key, key) || (item.flags & 6) != 0) continue;
    std::string_view value = item.value;
    while (!value.empty() && value.back() == '\0') value.remove_suffix(1);
    std::vector<std::string> texts;
    size_t start = 0;
    while (start <= value.size()) {
      size_t nul = value.find('\0', start);
      std::string_view part = value.substr(start, nul == std::string_view::npos ? nul : nul - start);
      // Version 2 values are UTF-8; version 1 (and a version 2 value that is
      // not UTF-8) follow the legacy tag text rule.
      texts.push_back(version == 2000 && IsValidUtf8(part) ? std::string(part) : DecodeTagText(part));
      if (nul == std::string_view::npos) break;
      start = nul + 1;
    }
    return texts;
  }
  return {};
}

void ApeTagData::Set(std::string_view key, std::string_view utf8) {
  auto it = std::find_if(items.begin(), items.end(), [&](const ApeItem& i) { return SameKey(i.key, key); });
  if (utf8.empty()) {
    if (it != items.end()) items.erase(it);
    return;
  }
  if (it == items.end()) {
    items.push_back(ApeItem{std::string(key), 0, {}});
    it = items.end() - 1;
  }
  it->flags &= ~6u;  // text item
  it->value = std::string(utf8);
}

std::string ApeTagData::Render() const {
  std::string body;
  for (const ApeItem& item : items) {
    AppendLe32(body, static_cast<uint32_t>(item.value.size()));
    AppendLe32(body, item.flags & ~(kHasHeader | kIsHeader));
    body += item.key;
    body.push_back('\0');
    body += item.value;
  }
  uint32_t size = static_cast<uint32_t>(body.size() + kApeFooterSize);
  uint32_t count = static_cast<uint32_t>(items.size());
  return HeaderOrFooter(size, count, kHasHeader | kIsHeader) + body + HeaderOrFooter(size, count, kHasHeader);
}

std::string_view ApeKeyOf(std::string_view stem) {
  if (stem == "IART") return "Artist";
  if (stem == "INAM") return "Title";
  if (stem == "IPRD") return "Album";
  if (stem == "TRACK") return "Track";
  if (stem == "ICRD") return "Year";
  if (stem == "IGNR") return "Genre";
  if (stem == "ICMT") return "Comment";
  for (const ApeStemKey& extra : kApeExtraKeys)
    if (extra.stem == stem) return extra.key;
  return {};
}

}  // namespace hozanki
