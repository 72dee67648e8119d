#include "core/tools/MimeInfoCache.h"

#include <map>
#include <set>
#include <string_view>
#include <system_error>

#include "core/common/AtomicFile.h"

namespace hozanki {
namespace fs = std::filesystem;
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// The media types of an entry's [Desktop Entry] group; none when the entry
// is hidden.
std::set<std::string> MediaTypesOf(std::string_view text) {
  std::set<std::string> types;
  bool inMain = false;
  bool hidden = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (!line.empty() && line.front() == '[') {
      inMain = line == "[Desktop Entry]";
      continue;
    }
    const size_t eq = line.find('=');
    if (!inMain || eq == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    if (key == "Hidden") hidden = value == "true";
    if (key != "MimeType") continue;
    types.clear();
    size_t start = 0;
    while (start < value.size()) {
      size_t semi = value.find(';', start);
      if (semi == std::string_view::npos) semi = value.size();
      const std::string_view type = Trim(value.substr(start, semi - start));
      if (!type.empty()) types.emplace(type);
      start = semi + 1;
    }
  }
  if (hidden) types.clear();
  return types;
}

}  // namespace

std::string MimeInfoCacheText(const fs::path& folder) {
  std::map<std::string, std::set<std::string>> byType;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    if (path.extension() != ".desktop" || !it->is_regular_file(ec)) continue;
    std::string id = path.lexically_relative(folder).string();
    for (char& c : id)
      if (c == '/') c = '-';
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) continue;
    for (const std::string& type : MediaTypesOf(bytes)) byType[type].insert(id);
  }
  std::string text = "[MIME Cache]\n";
  for (const auto& [type, ids] : byType) {
    text += type + '=';
    for (const std::string& id : ids) text += id + ';';
    text += '\n';
  }
  return text;
}

bool WriteMimeInfoCache(const fs::path& folder, std::string* error) {
  return WriteFileAtomic(folder / kMimeInfoCacheName, MimeInfoCacheText(folder), error);
}

}  // namespace hozanki
