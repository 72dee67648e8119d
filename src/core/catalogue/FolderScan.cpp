#include "core/catalogue/FolderScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>

#include "core/catalogue/TagFile.h"
#include "core/common/AtomicFile.h"
#include "core/common/IoDepth.h"
#include "core/common/ParallelFor.h"
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

FolderScanHooks& Hooks() {
  static FolderScanHooks hooks{false, nullptr, FileSystemTypeOf};
  return hooks;
}

// Reads one folder: regular files and folders (links followed), each sorted.
// One listing; the type each entry carries is taken as it stands, and only
// entries whose type it does not tell (links, and every entry on a file
// system that leaves the type out) are looked up, all at once on a network
// file system.
void ReadFolder(const fs::path& dir, std::vector<NamedEntry>* files, std::vector<NamedEntry>* folders) {
  DIR* stream = ::opendir(dir.c_str());
  if (!stream) return;
  const FolderScanHooks& hooks = Hooks();
  std::vector<fs::path> unknown;
  bool leftovers = false;
  while (const dirent* entry = ::readdir(stream)) {
    std::string_view raw(entry->d_name);
    if (raw == "." || raw == "..") continue;
    fs::path name(raw);
    if (IsTemporaryFileName(name.native())) {
      leftovers = true;
      continue;
    }
    const unsigned type = hooks.ignoreEntryTypes ? unsigned{DT_UNKNOWN} : unsigned{entry->d_type};
    if (type == DT_DIR) {
      if (folders) folders->push_back({DisplayName(name), std::move(name)});
    } else if (type == DT_REG) {
      if (files) files->push_back({DisplayName(name), std::move(name)});
    } else if (type == DT_LNK || type == DT_UNKNOWN) {
      unknown.push_back(std::move(name));
    }
    // Devices, pipes and sockets are never read: a pipe would block the reader.
  }
  if (!unknown.empty()) {
    // Links are followed, so links to files and folders count as what they
    // point to; an entry that cannot be looked up is left out.
    enum Kind : uint8_t { kOther, kFile, kFolder };
    std::vector<Kind> kinds(unknown.size(), kOther);
    const unsigned depth = unknown.size() > 1 ? IoDepthFor(dir, 1, hooks.probe) : 1;
    // Looked up by name in the folder held open: one round trip, where the
    // whole path would cost one per folder in it.
    const int dirFd = ::dirfd(stream);
    ParallelFor(unknown.size(), depth, [&](size_t i) {
      if (hooks.onLookup) hooks.onLookup(dir / unknown[i]);
      struct stat st {};
      if (::fstatat(dirFd, unknown[i].c_str(), &st, 0) != 0) return;
      kinds[i] = S_ISDIR(st.st_mode) ? kFolder : (S_ISREG(st.st_mode) ? kFile : kOther);
    });
    for (size_t i = 0; i < unknown.size(); ++i) {
      if (kinds[i] == kFolder && folders)
        folders->push_back({DisplayName(unknown[i]), std::move(unknown[i])});
      if (kinds[i] == kFile && files) files->push_back({DisplayName(unknown[i]), std::move(unknown[i])});
    }
  }
  ::closedir(stream);
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

// A subfolder as the recursive listing meets it: its identity and, once
// read, its files and folders.
struct Subfolder {
  bool found = false;  // it could be looked up
  std::pair<dev_t, ino_t> id{};
  bool read = false;
  std::vector<NamedEntry> files, folders;
};

Subfolder LookUpFolder(const fs::path& dir, bool readToo) {
  Subfolder sub;
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return sub;
  sub.found = true;
  sub.id = {st.st_dev, st.st_ino};
  if (readToo) {
    ReadFolder(dir, &sub.files, &sub.folders);
    sub.read = true;
  }
  return sub;
}

void ListLevel(const fs::path& root, const fs::path& relative, Subfolder level, unsigned depth,
               std::set<std::pair<dev_t, ino_t>>& visited, const std::atomic<bool>* cancel,
               std::vector<fs::path>& out, ListingCounts* counts) {
  fs::path dir = relative.empty() ? root : root / relative;
  if (!level.read) ReadFolder(dir, &level.files, &level.folders);
  for (const NamedEntry& f : level.files) {
    if (Cancelled(cancel)) return;
    const bool media = IsMediaName(f.name);
    if (media) out.push_back(relative.empty() ? f.name : relative / f.name);
    Count(counts, media);
  }
  // On a network file system the subfolders are looked up and read all at
  // once, ahead of their turn; on a local disk each in its turn.
  std::vector<Subfolder> subfolders(level.folders.size());
  const bool ahead = depth > 1 && level.folders.size() > 1;
  if (ahead)
    ParallelFor(
        level.folders.size(), depth,
        [&](size_t i) { subfolders[i] = LookUpFolder(dir / level.folders[i].name, true); }, cancel);
  for (size_t i = 0; i < level.folders.size(); ++i) {
    if (Cancelled(cancel)) return;
    const fs::path& name = level.folders[i].name;
    Subfolder sub = ahead ? std::move(subfolders[i]) : LookUpFolder(dir / name, false);
    if (!sub.found) continue;
    if (!visited.insert(sub.id).second) continue;
    ListLevel(root, relative.empty() ? name : relative / name, std::move(sub), depth, visited, cancel, out,
              counts);
  }
}

}  // namespace

void SetFolderScanHooksForTesting(FolderScanHooks hooks) {
  if (!hooks.probe) hooks.probe = FileSystemTypeOf;
  Hooks() = std::move(hooks);
}

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
  ListLevel(folder, fs::path(), Subfolder{}, IoDepthFor(folder, 1, Hooks().probe), visited, cancel, out,
            counts);
  return out;
}

std::vector<fs::path> ListPathList(const fs::path& folder, const std::vector<fs::path>& paths,
                                   const std::atomic<bool>* cancel, ListingCounts* counts) {
  fs::path base = NormalFolder(folder);
  std::vector<fs::path> full;
  full.reserve(paths.size());
  for (const fs::path& entry : paths)
    full.push_back(entry.empty() ? fs::path() : AbsolutePathForm(entry, base));
  // Each entry is looked up once; on a network file system many at a time.
  std::vector<uint8_t> regular(full.size(), 0);
  ParallelFor(
      full.size(), full.size() > 1 ? IoDepthFor(base, 1, Hooks().probe) : 1,
      [&](size_t i) {
        if (full[i].empty()) return;
        struct stat st {};
        regular[i] = ::stat(full[i].c_str(), &st) == 0 && S_ISREG(st.st_mode);
      },
      cancel);
  std::vector<fs::path> out;
  std::set<fs::path> seen, swept;
  for (size_t i = 0; i < full.size(); ++i) {
    if (Cancelled(cancel)) break;
    if (full[i].empty()) continue;
    if (swept.insert(full[i].parent_path()).second) SweepTemporaryFiles(full[i].parent_path());
    if (IsTemporaryFileName(full[i].filename().native())) {
      struct stat st {};  // the sweep may just have removed it
      regular[i] = ::stat(full[i].c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    if (!regular[i]) continue;
    // Every existing file of the list counts, listed or not.
    fs::path relative = full[i].lexically_relative(base);
    const bool listed = IsMediaName(full[i]) && !relative.empty() && seen.insert(relative).second;
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
