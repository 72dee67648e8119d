#pragma once
// Names that would collide after a rename, found before anything is written.
//
// Within one folder, a file that is being renamed collides when its new name
// is the final name of another listed file (that file's new name, or its
// present name when it is not being renamed), or the name of any other entry
// of the folder that is not being renamed away. The same name in two folders
// is no collision. Names compare the way the folder's file system does:
// without regard to case on FAT, exFAT and NTFS mounts, byte for byte
// elsewhere.
//
// NameConflictIndex keeps per-folder hash maps so that one changed name costs
// a look-up in its folder only, which keeps it usable for 100,000 rows.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/catalogue/DriveList.h"
#include "core/catalogue/MediaFileEntry.h"

namespace hozanki {

enum class NameCase { Exact, Insensitive };

// Whether a file system type of the mount table compares names without
// regard to case (vfat, msdos, exfat, ntfs, ntfs3, fuseblk).
bool IsCaseInsensitiveFileSystem(std::string_view type);

// Tells how names compare in a folder, from a mount table.
class FolderCaseProbe {
 public:
  explicit FolderCaseProbe(std::vector<Drive> mounts = {}) : mounts_(std::move(mounts)) {}
  // The mounts of this machine (/proc/self/mounts).
  static FolderCaseProbe FromSystem();
  NameCase CaseOf(const std::filesystem::path& folder) const;

 private:
  std::vector<Drive> mounts_;
};

// The form of a name that equal names share: the name itself, or with every
// character in upper case (Unicode simple mapping; a name that is not UTF-8
// is kept as it is).
std::string NameKey(std::string_view name, NameCase nameCase);

// The names of all entries of a folder (raw bytes), "." and ".." left out.
using FolderLister = std::function<std::vector<std::string>(const std::filesystem::path& folder)>;
std::vector<std::string> ListFolderNames(const std::filesystem::path& folder);

// Why a new name cannot be used: empty, ".", "..", holding "/" or NUL, or
// one of the temporary names of our writers (".hozanki-XXXXXXXX.tmp",
// ".hozanki-XXXXXXXX.ren"), which a folder listing or a crash recovery
// would take for leftovers.
bool IsBadFileName(std::string_view name);

// One listed file.
struct NameRow {
  std::filesystem::path folder;  // the folder holding the file
  std::string oldName;           // its present name (raw bytes)
  std::string newName;           // the staged name (UTF-8)
  bool staged = false;           // a rename is pending

  bool operator==(const NameRow&) const = default;
};

// The row of a catalogue entry loaded from `root`: staged when its file row
// carries the changed mark.
NameRow NameRowOf(const std::filesystem::path& root, const MediaFileEntry& entry);
// The same for many entries, appended to `rows`; the folder's path is made
// once for a run of entries in one folder.
void AppendNameRows(const std::filesystem::path& root, const std::vector<MediaFileEntry>& entries,
                    std::vector<NameRow>& rows);

class NameConflictIndex {
 public:
  explicit NameConflictIndex(FolderCaseProbe probe = FolderCaseProbe::FromSystem(),
                             FolderLister lister = ListFolderNames);

  // Starts over with these rows (ids are their indexes); reads each folder once.
  void Reset(std::vector<NameRow> rows);
  // Row `id` now reads `row`. Returns the ids whose collision may have
  // changed (the row itself among them). A changed folder or present name
  // starts over (that happens only after a save).
  std::vector<size_t> Update(size_t id, const NameRow& row);

  size_t Size() const { return rows_.size(); }
  bool HasConflict(size_t id) const { return id < rows_.size() && rows_[id].conflict; }
  // The name of the file the row collides with (empty when none).
  const std::string& OtherName(size_t id) const { return rows_[id].other; }
  size_t ConflictCount() const { return count_; }
  // The folder's comparison, as the index used it.
  NameCase CaseOf(size_t id) const { return folders_[rows_[id].folder].nameCase; }

 private:
  struct Folder {
    NameCase nameCase = NameCase::Exact;
    std::unordered_map<std::string, std::vector<size_t>> finals;  // final name key -> rows
    std::unordered_map<std::string, int> olds;                    // present name key -> rows
    std::unordered_map<std::string, std::string> disk;            // key -> entry name on disk
  };
  // A row as kept: its folder by number, not by path (one folder holds
  // thousands of rows).
  struct Entry {
    std::string oldName;
    std::string newName;
    bool staged = false;
    size_t folder = 0;
    std::string finalKey;
    bool conflict = false;
    std::string other;
  };

  size_t FolderOf(const std::filesystem::path& folder);
  std::string FinalKey(const Entry& e) const;
  void Evaluate(size_t id);

  FolderCaseProbe probe_;
  FolderLister lister_;
  std::vector<Folder> folders_;
  std::unordered_map<std::string, size_t> folderIds_;
  std::vector<Entry> rows_;
  size_t count_ = 0;
};

// The tooltip of a colliding row: "「NAME」と同じ名前になります".
std::string ConflictText(std::string_view otherName);

}  // namespace hozanki
