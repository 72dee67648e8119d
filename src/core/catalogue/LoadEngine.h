#pragma once
// The loader behind `FileLoad` and `FileReload`, free of any window: lists a
// folder (plain, recursive or a path list), reads the files on as many
// threads as the machine has cores (on a network file system, as many as
// keep its requests in flight: IoDepthFor) and hands the entries to a callback in
// listing order, in batches. The callback runs on the thread that called
// Load()/Reload(); the GUI's worker forwards each batch to the GUI thread.
// Cancel() may be called from any thread; it takes effect between files: the
// files being read complete and are delivered, later ones are not read.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "core/catalogue/MediaFileEntry.h"
#include "core/common/IoDepth.h"

namespace hozanki {

// The readers the engine calls (ReadMediaFile and RereadMediaFile unless a
// test puts others in). Both are called from several threads at once.
struct MediaReaders {
  // A new file below `folder`; empty when it is not listed.
  std::function<std::optional<MediaFileEntry>(const std::filesystem::path& folder,
                                              const std::filesystem::path& relativePath)>
      read;
  // Reads a listed file again into its entry; false when it cannot be read or
  // now reads as another format (the entry is then left as it was).
  std::function<bool(const std::filesystem::path& folder, MediaFileEntry& entry)> reread;
};

// ReadMediaFile and RereadMediaFile of the tag library layer.
MediaReaders DefaultMediaReaders();

// What a load lists.
struct LoadRequest {
  std::filesystem::path folder;  // absolute, the folder the rows are relative to
  bool recursive = false;
  // When present, exactly these files (absolute, or relative to `folder`).
  std::optional<std::vector<std::filesystem::path>> pathList;
};

// `OpenPathList`: the load of a path list (absolute, or relative to
// `workingFolder`): the folder of its first entry, loading exactly the
// entries that are existing media files. Empty when the list is empty or
// that folder does not exist (then nothing happens).
std::optional<LoadRequest> PathListRequest(const std::vector<std::filesystem::path>& paths,
                                           const std::filesystem::path& workingFolder);

// The paths of a command line or of a later start: when the first one is a
// folder, that folder is opened and listed as a double click in the folder
// tree would (not recursive); otherwise PathListRequest.
std::optional<LoadRequest> ArgumentRequest(const std::vector<std::filesystem::path>& paths,
                                           const std::filesystem::path& workingFolder);

// A batch of new rows in listing order. `count` is the number of files
// handled so far (listed or not), for the running count in the status bar.
struct LoadBatch {
  std::vector<MediaFileEntry> entries;
  size_t count = 0;
};

// A row to read again: where it sits and a copy of its entry.
struct ReloadItem {
  MediaFormat format = MediaFormat::MP3;
  size_t row = 0;
  MediaFileEntry entry;
};

// Rows read again, in the order they were given; `count` as in LoadBatch
// (files found on disk so far).
struct ReloadBatch {
  std::vector<ReloadItem> items;
  size_t count = 0;
};

// The rows of one format to read again: all of them, or with `changedOnly`
// those whose file row or any tag row carries the changed mark. Appends.
void CollectReloadItems(MediaFormat format, const std::vector<MediaFileEntry>& entries, bool changedOnly,
                        std::vector<ReloadItem>& out);

// Writes a reread row over the row it was read for (on the GUI thread, e.g.
// inside Catalogue::EditRow). A row that holds another file or format now is
// left alone; returns whether the row was written.
bool ApplyReloadedItem(MediaFileEntry& target, ReloadItem&& item);

struct LoadResult {
  size_t count = 0;   // files handled
  size_t listed = 0;  // entries delivered
  bool cancelled = false;
};

// One engine per load or reload: once cancelled it stays cancelled.
class LoadEngine {
 public:
  // `threads` 0 = one per core, or IoDepthFor's depth on a network file
  // system.
  explicit LoadEngine(MediaReaders readers = DefaultMediaReaders(), unsigned threads = 0);

  // How the file system of a folder is told (FileSystemTypeOf unless a test
  // puts another in), and the number of readers a load of `folder` runs.
  void SetFileSystemProbe(FileSystemTypeProbe probe);
  unsigned DepthFor(const std::filesystem::path& folder) const;

  // Batches are delivered when `batchSize` rows are ready or `batchInterval`
  // has passed since the last one (the running count keeps moving).
  void SetBatchLimits(size_t batchSize, std::chrono::milliseconds batchInterval);

  LoadResult Load(const LoadRequest& request, const std::function<void(LoadBatch&&)>& onBatch);
  // Reads the items again: a file that no longer exists is skipped (its row
  // keeps its content); so is one that cannot be read or reads as another
  // format. Only rows read successfully are delivered.
  LoadResult Reload(const std::filesystem::path& folder, std::vector<ReloadItem> items,
                    const std::function<void(ReloadBatch&&)>& onBatch);

  void Cancel() { cancel_.store(true); }

 private:
  MediaReaders readers_;
  unsigned threads_;
  FileSystemTypeProbe probe_;
  size_t batchSize_ = 256;
  std::chrono::milliseconds batchInterval_{50};
  std::atomic<bool> cancel_{false};
};

}  // namespace hozanki
