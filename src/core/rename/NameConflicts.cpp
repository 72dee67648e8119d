#include "core/rename/NameConflicts.h"

#include <dirent.h>

#include <algorithm>
#include <array>

#include "core/catalogue/FolderScan.h"
#include "core/common/AtomicFile.h"
#include "core/rename/RenameBatch.h"
#include "core/text/CaseMapping.h"
#include "core/text/TextWidth.h"

namespace hozanki {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 6> kCaseInsensitiveTypes = {"vfat",  "msdos", "exfat",
                                                                   "ntfs",  "ntfs3", "fuseblk"};

// The displayed form of a final name.
template <typename Row>
std::string Shown(const Row& row, bool renamed) {
  return renamed ? row.newName : DisplayName(fs::path(row.oldName));
}

template <typename Row>
bool Renamed(const Row& row) {
  return row.staged && !IsBadFileName(row.newName);
}

}  // namespace

bool IsCaseInsensitiveFileSystem(std::string_view type) {
  return std::find(kCaseInsensitiveTypes.begin(), kCaseInsensitiveTypes.end(), type) !=
         kCaseInsensitiveTypes.end();
}

FolderCaseProbe FolderCaseProbe::FromSystem() {
  return FolderCaseProbe(ParseAllMounts(ReadMountTable()));
}

NameCase FolderCaseProbe::CaseOf(const fs::path& folder) const {
  std::error_code ec;
  fs::path real = fs::weakly_canonical(fs::absolute(folder, ec), ec);
  if (ec) real = folder;
  // Later mounts on the same point hide earlier ones: the last one counts.
  std::optional<size_t> best;
  size_t bestLength = 0;
  for (size_t i = 0; i < mounts_.size(); ++i) {
    std::optional<size_t> hit = DriveOfFolder({mounts_[i]}, real);
    if (!hit) continue;
    size_t length = mounts_[i].mountPoint.native().size();
    if (!best || length >= bestLength) {
      best = i;
      bestLength = length;
    }
  }
  if (best && IsCaseInsensitiveFileSystem(mounts_[*best].type)) return NameCase::Insensitive;
  return NameCase::Exact;
}

std::string NameKey(std::string_view name, NameCase nameCase) {
  // A name that is not UTF-8 (an old code page 932 name) compares as bytes.
  if (nameCase == NameCase::Exact || !IsValidUtf8(name)) return std::string(name);
  std::string key;
  key.reserve(name.size());
  for (size_t pos = 0; pos < name.size();) {
    char32_t cp = 0;
    size_t length = DecodeUtf8Char(name, pos, cp);
    AppendUtf8(key, UnicodeUpper(cp));
    pos += length;
  }
  return key;
}

std::vector<std::string> ListFolderNames(const fs::path& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

bool IsBadFileName(std::string_view name) {
  return name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
         name.find('\0') != std::string_view::npos ||
         // Our own temporary names: a folder listing sweeps such files away,
         // and a crash recovery takes them for its own.
         IsTemporaryFileName(name) || IsRenameTemporaryName(name);
}

NameRow NameRowOf(const fs::path& root, const MediaFileEntry& entry) {
  NameRow row;
  fs::path full = root / entry.relativePath;
  row.folder = full.parent_path();
  row.oldName = entry.relativePath.filename().native();
  row.staged = entry.file.image == kChangedMark && !entry.file.cells.empty();
  if (row.staged) row.newName = entry.file.cells[0].text;
  return row;
}

void AppendNameRows(const fs::path& root, const std::vector<MediaFileEntry>& entries, std::vector<NameRow>& rows) {
  std::string_view lastParent;
  fs::path folder;
  bool first = true;
  for (const MediaFileEntry& entry : entries) {
    const std::string& relative = entry.relativePath.native();
    const size_t slash = relative.rfind('/');
    const std::string_view parent = std::string_view(relative).substr(0, slash == std::string::npos ? 0 : slash);
    if (first || parent != lastParent) {
      folder = (root / entry.relativePath).parent_path();
      lastParent = parent;
      first = false;
    }
    NameRow row;
    row.folder = folder;
    row.oldName = relative.substr(slash == std::string::npos ? 0 : slash + 1);
    row.staged = entry.file.image == kChangedMark && !entry.file.cells.empty();
    if (row.staged) row.newName = entry.file.cells[0].text;
    rows.push_back(std::move(row));
  }
}

std::string ConflictText(std::string_view otherName) {
  return "「" + std::string(otherName) + "」と同じ名前になります";
}

NameConflictIndex::NameConflictIndex(FolderCaseProbe probe, FolderLister lister)
    : probe_(std::move(probe)), lister_(std::move(lister)) {}

size_t NameConflictIndex::FolderOf(const fs::path& folder) {
  auto [it, added] = folderIds_.try_emplace(folder.native(), folders_.size());
  if (!added) return it->second;
  Folder f;
  f.nameCase = probe_.CaseOf(folder);
  std::vector<std::string> names = lister_(folder);
  // A folder holds no more listed rows than entries (nor than rows in all).
  f.disk.reserve(names.size());
  f.finals.reserve(std::min(names.size(), rows_.size()));
  f.olds.reserve(std::min(names.size(), rows_.size()));
  for (std::string& name : names) {
    std::string key = NameKey(name, f.nameCase);
    f.disk.emplace(std::move(key), std::move(name));
  }
  folders_.push_back(std::move(f));
  return it->second;
}

std::string NameConflictIndex::FinalKey(const Entry& e) const {
  const NameCase c = folders_[e.folder].nameCase;
  return NameKey(Renamed(e) ? e.newName : e.oldName, c);
}

void NameConflictIndex::Evaluate(size_t id) {
  Entry& e = rows_[id];
  const bool was = e.conflict;
  e.conflict = false;
  e.other.clear();
  if (Renamed(e)) {
    const Folder& f = folders_[e.folder];
    auto bucket = f.finals.find(e.finalKey);
    if (bucket != f.finals.end()) {
      for (size_t other : bucket->second) {
        if (other == id) continue;
        e.conflict = true;
        e.other = Shown(rows_[other], Renamed(rows_[other]));
        break;
      }
    }
    if (!e.conflict) {
      auto disk = f.disk.find(e.finalKey);
      auto old = f.olds.find(e.finalKey);
      if (disk != f.disk.end() && (old == f.olds.end() || old->second == 0)) {
        e.conflict = true;
        e.other = DisplayName(fs::path(disk->second));
      }
    }
  }
  if (was != e.conflict) e.conflict ? ++count_ : --count_;
}

void NameConflictIndex::Reset(std::vector<NameRow> rows) {
  folders_.clear();
  folderIds_.clear();
  rows_.clear();
  count_ = 0;
  rows_.resize(rows.size());
  for (size_t id = 0; id < rows.size(); ++id) {
    Entry& e = rows_[id];
    e.folder = FolderOf(rows[id].folder);
    rows[id].folder = fs::path();
    e.oldName = std::move(rows[id].oldName);
    e.newName = std::move(rows[id].newName);
    e.staged = rows[id].staged;
    Folder& f = folders_[e.folder];
    std::string oldKey = NameKey(e.oldName, f.nameCase);
    ++f.olds[oldKey];
    e.finalKey = Renamed(e) ? FinalKey(e) : std::move(oldKey);
    f.finals[e.finalKey].push_back(id);
  }
  for (size_t id = 0; id < rows_.size(); ++id) Evaluate(id);
}

std::vector<size_t> NameConflictIndex::Update(size_t id, const NameRow& row) {
  if (id >= rows_.size()) return {};
  Entry& e = rows_[id];
  const auto folder = folderIds_.find(row.folder.native());
  if (folder == folderIds_.end() || folder->second != e.folder || e.oldName != row.oldName) {
    std::vector<std::filesystem::path> folderPaths(folders_.size());
    for (const auto& [path, n] : folderIds_) folderPaths[n] = path;
    std::vector<NameRow> all;
    all.reserve(rows_.size());
    for (Entry& r : rows_)
      all.push_back(NameRow{folderPaths[r.folder], std::move(r.oldName), std::move(r.newName), r.staged});
    all[id] = row;
    Reset(std::move(all));
    std::vector<size_t> every(rows_.size());
    for (size_t i = 0; i < every.size(); ++i) every[i] = i;
    return every;
  }
  Folder& f = folders_[e.folder];
  const std::string before = e.finalKey;
  e.newName = row.newName;
  e.staged = row.staged;
  e.finalKey = FinalKey(e);
  std::vector<size_t> touched{id};
  if (before != e.finalKey) {
    std::vector<size_t>& from = f.finals[before];
    from.erase(std::remove(from.begin(), from.end(), id), from.end());
    touched.insert(touched.end(), from.begin(), from.end());
    if (from.empty()) f.finals.erase(before);
    std::vector<size_t>& to = f.finals[e.finalKey];
    to.push_back(id);
    touched.insert(touched.end(), to.begin(), to.end());
  }
  std::sort(touched.begin(), touched.end());
  touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
  for (size_t t : touched) Evaluate(t);
  return touched;
}

}  // namespace hozanki
