#include "core/catalogue/FolderScan.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>

#include "core/catalogue/TagFile.h"
#include "core/common/AtomicFile.h"
#include "core/text/Cp932.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace fs = std::filesystem;

namespace {

char32_t FoldCase(char32_t cp) {
  if (cp >= U'a' && cp <= U'z') return cp - 0x20;
  if (cp >= 0xFF41 && cp <= 0xFF5A) return cp - 0x20;  // full-width Latin
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 0x20;
  return cp;
}

bool Cancelled(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

// A folder path without a trailing separator (except the root itself).
fs::path NormalFolder(const fs::path& folder) {
  fs::path p = folder.lexically_normal();
  while (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
  return p;
}

// The name with its letters folded, as UTF-8: comparing these bytes compares
// the folded code points.
std::string FoldedKey(std::string_view name) {
  std::string key;
  key.reserve(name.size());
  for (size_t i = 0; i < name.size();) {
    char32_t cp = 0;
    i += DecodeUtf8Char(name, i, cp);
    AppendUtf8(key, FoldCase(cp));
  }
  return key;
}

struct NamedEntry {
  std::string display;
  fs::path name;
};

void SortByName(std::vector<NamedEntry>& entries) {
  struct Keyed {
    std::string key;
    NamedEntry* entry;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(entries.size());
  for (NamedEntry& e : entries) keyed.push_back({FoldedKey(e.display), &e});
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (int c = a.key.compare(b.key); c != 0) return c < 0;
    if (int c = a.entry->display.compare(b.entry->display); c != 0) return c < 0;
    return a.entry->name.native() < b.entry->name.native();
  });
  std::vector<NamedEntry> sorted;
  sorted.reserve(entries.size());
  for (Keyed& k : keyed) sorted.push_back(std::move(*k.entry));
  entries = std::move(sorted);
}

bool IsMediaName(const fs::path& name) {
  return TypeFromExtension(name) != FileType::Unknown;
}

// Reads one folder: regular files and folders (links followed), each sorted.
void ReadFolder(const fs::path& dir, std::vector<NamedEntry>* files, std::vector<NamedEntry>* folders) {
  std::error_code ec;
  fs::directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
  if (ec) return;
  bool leftovers = false;
  for (fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const fs::directory_entry& entry = *it;
    fs::path name = entry.path().filename();
    if (IsTemporaryFileName(name.native())) {
      leftovers = true;
      continue;
    }
    // The type the folder entry carries (no look-up); links are followed,
    // so links to files and folders count as what they point to.
    std::error_code typeError;
    const bool isFolder = entry.is_directory(typeError);
    if (typeError) continue;
    if (isFolder) {
      if (folders) folders->push_back({DisplayName(name), name});
    } else if (entry.is_regular_file(typeError) && !typeError) {
      // Devices, pipes and sockets are never read: a pipe would block the reader.
      if (files) files->push_back({DisplayName(name), name});
    }
  }
  if (files) SortByName(*files);
  if (folders) SortByName(*folders);
  // Temporary files of a save that died are cleared when their folder is
  // listed again.
  if (leftovers) SweepTemporaryFiles(dir);
}

// One more file entry seen; when `listed`, the count of the file just listed.
void Count(ListingCounts* counts, bool listed) {
  if (!counts) return;
  ++counts->total;
  if (listed) counts->upTo.push_back(counts->total);
}

void ListLevel(const fs::path& root, const fs::path& relative, std::set<std::pair<dev_t, ino_t>>& visited,
               const std::atomic<bool>* cancel, std::vector<fs::path>& out, ListingCounts* counts) {
  fs::path dir = relative.empty() ? root : root / relative;
  std::vector<NamedEntry> files, folders;
  ReadFolder(dir, &files, &folders);
  for (const NamedEntry& f : files) {
    if (Cancelled(cancel)) return;
    const bool media = IsMediaName(f.name);
    if (media) out.push_back(relative.empty() ? f.name : relative / f.name);
    Count(counts, media);
  }
  for (const NamedEntry& d : folders) {
    if (Cancelled(cancel)) return;
    struct stat st {};
    if (::stat((dir / d.name).c_str(), &st) != 0) continue;
    if (!visited.insert({st.st_dev, st.st_ino}).second) continue;
    ListLevel(root, relative.empty() ? d.name : relative / d.name, visited, cancel, out, counts);
  }
}

}  // namespace

std::string DisplayName(const fs::path& path) {
  const std::string& raw = path.native();
  if (IsValidUtf8(raw)) return raw;
  return DecodeCp932(raw);
}

int CompareFolderEntryNames(std::string_view a, std::string_view b) {
  int c = FoldedKey(a).compare(FoldedKey(b));
  if (c == 0) c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::vector<fs::path> ListMediaFiles(const fs::path& folder, const std::atomic<bool>* cancel,
                                     ListingCounts* counts) {
  std::vector<NamedEntry> files;
  ReadFolder(folder, &files, nullptr);
  std::vector<fs::path> out;
  for (const NamedEntry& f : files) {
    if (Cancelled(cancel)) break;
    const bool media = IsMediaName(f.name);
    if (media) out.push_back(f.name);
    Count(counts, media);
  }
  return out;
}

std::vector<fs::path> ListMediaFilesRecursive(const fs::path& folder, const std::atomic<bool>* cancel,
                                              ListingCounts* counts) {
  std::vector<fs::path> out;
  std::set<std::pair<dev_t, ino_t>> visited;
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0) visited.insert({st.st_dev, st.st_ino});
  ListLevel(folder, fs::path(), visited, cancel, out, counts);
  return out;
}

std::vector<fs::path> ListPathList(const fs::path& folder, const std::vector<fs::path>& paths,
                                   const std::atomic<bool>* cancel, ListingCounts* counts) {
  fs::path base = NormalFolder(folder);
  std::vector<fs::path> out;
  std::set<fs::path> seen, swept;
  for (const fs::path& entry : paths) {
    if (Cancelled(cancel)) break;
    if (entry.empty()) continue;
    fs::path full = AbsolutePathForm(entry, base);
    if (swept.insert(full.parent_path()).second) SweepTemporaryFiles(full.parent_path());
    std::error_code ec;
    if (!fs::is_regular_file(fs::status(full, ec)) || ec) continue;
    // Every existing file of the list counts, listed or not.
    fs::path relative = full.lexically_relative(base);
    const bool listed = IsMediaName(full) && !relative.empty() && seen.insert(relative).second;
    Count(counts, listed);
    if (listed) out.push_back(std::move(relative));
  }
  return out;
}

std::vector<fs::path> ListSubfolders(const fs::path& folder) {
  std::vector<NamedEntry> folders;
  ReadFolder(folder, nullptr, &folders);
  std::vector<fs::path> out;
  out.reserve(folders.size());
  for (NamedEntry& d : folders) out.push_back(std::move(d.name));
  return out;
}

std::string FolderPanelText(const fs::path& folder) {
  return DisplayName(NormalFolder(folder));
}

fs::path StartUpFolder(const fs::path& remembered, const fs::path& home) {
  std::error_code ec;
  if (!remembered.empty() && remembered.is_absolute() && fs::is_directory(fs::status(remembered, ec)) && !ec)
    return NormalFolder(remembered);
  return home;
}

fs::path AbsolutePathForm(const fs::path& path, const fs::path& workingFolder) {
  fs::path full = path.is_absolute() ? path : workingFolder / path;
  return full.lexically_normal();
}

std::optional<fs::path> PathListFolder(const std::vector<fs::path>& paths, const fs::path& workingFolder) {
  if (paths.empty() || paths.front().empty()) return std::nullopt;
  fs::path first = AbsolutePathForm(paths.front(), workingFolder);
  fs::path folder = NormalFolder(first);
  if (folder.has_relative_path()) folder = folder.parent_path();
  std::error_code ec;
  if (!fs::is_directory(fs::status(folder, ec)) || ec) return std::nullopt;
  return folder;
}

}  // namespace hozanki
