#pragma once
// Listing the media files of a folder for a load: plain (the folder only),
// recursive (its files, then each subfolder in turn) or a given path list.
// Entries whose type the listing does not tell are looked up, and on a
// network file system (IoDepthFor) those look-ups and the subfolders of a
// recursive listing are issued many at a time.
// Entries are sorted by name without regard to letter case, files before
// subfolders; only files with a supported extension are listed. Names are
// kept as raw bytes; a name that is not UTF-8 is shown decoded as code page
// 932. Folders that cannot be read are skipped without a message.

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/IoDepth.h"

namespace hozanki {

// For tests: `ignoreEntryTypes` makes the listing look every entry up, as on
// a file system whose listing does not tell the entries' types; `onLookup`
// is called (from any thread) for every entry looked up; `probe` tells the
// file system type in place of statfs (empty: statfs).
struct FolderScanHooks {
  bool ignoreEntryTypes = false;
  std::function<void(const std::filesystem::path&)> onLookup;
  FileSystemTypeProbe probe;
};
void SetFolderScanHooksForTesting(FolderScanHooks hooks);

// The text shown for a name or path given as raw bytes: itself when valid
// UTF-8, else decoded as code page 932.
std::string DisplayName(const std::filesystem::path& path);

// Orders two names the way a folder lists them: letter case ignored (ASCII
// and full-width Latin letters), then by code point, then by raw bytes.
// Negative, 0 or positive.
int CompareFolderEntryNames(std::string_view a, std::string_view b);

// The running count of a listing: every file entry (not only media files)
// counts, as the status bar's running count shows. `upTo[i]` is the count
// at the i-th listed file, `total` the count of the whole listing.
struct ListingCounts {
  std::vector<size_t> upTo;
  size_t total = 0;
};

// The media files directly in `folder`, as relative paths ("song.mp3"), in
// listing order. Stops early (returning what was listed) when `cancel` is set.
std::vector<std::filesystem::path> ListMediaFiles(const std::filesystem::path& folder,
                                                   const std::atomic<bool>* cancel = nullptr,
                                                   ListingCounts* counts = nullptr);

// The media files of `folder` and all its subfolders as relative paths
// ("A/B/song.mp3"): the files of a folder before those of its subfolders,
// each level in listing order. Symbolic links to folders are followed, but a
// folder already visited (a link cycle) is not entered again. Cancel is
// checked before each file and each subfolder.
std::vector<std::filesystem::path> ListMediaFilesRecursive(const std::filesystem::path& folder,
                                                       const std::atomic<bool>* cancel = nullptr,
                                                       ListingCounts* counts = nullptr);

// The entries of a path list that are existing media files (links followed),
// in list order, as paths relative to `folder`; entries outside it come out as
// "../Other/x.mp3". Folders, missing files, unsupported extensions and
// repeated entries are skipped. Relative entries are taken relative to
// `folder`.
std::vector<std::filesystem::path> ListPathList(const std::filesystem::path& folder,
                                                const std::vector<std::filesystem::path>& paths,
                                                const std::atomic<bool>* cancel = nullptr,
                                                ListingCounts* counts = nullptr);

// The subfolders of `folder` (hidden ones included), sorted by name as above.
// Empty when the folder cannot be read.
std::vector<std::filesystem::path> ListSubfolders(const std::filesystem::path& folder);

// The folder a path list opens: the folder of its first entry, made absolute
// against `workingFolder` (symbolic links kept, "." and ".." resolved by
// text). Empty when the list is empty or that folder does not exist.
std::optional<std::filesystem::path> PathListFolder(const std::vector<std::filesystem::path>& paths,
                                                    const std::filesystem::path& workingFolder);

// Status-bar panel 0: the folder's display text without a trailing "/"
// (the root keeps it).
std::string FolderPanelText(const std::filesystem::path& folder);

// The folder opened at start without arguments: the remembered folder when
// it still exists, else `home`.
std::filesystem::path StartUpFolder(const std::filesystem::path& remembered,
                                    const std::filesystem::path& home);

// A path made absolute against `workingFolder` without resolving symbolic
// links; "." and ".." are resolved by text.
std::filesystem::path AbsolutePathForm(const std::filesystem::path& path,
                                       const std::filesystem::path& workingFolder);

}  // namespace hozanki
