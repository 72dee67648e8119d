#pragma once
// In-place writes that survive a crash: an undo journal with group commit.
//
// A tag that fits the space of the old one is written over it instead of
// copying the whole file. Before any byte is overwritten, the old bytes of
// every region about to change, for a whole batch of files, go to one
// journal file in the settings folder, which is flushed once (group commit).
// Then the files are overwritten and flushed, and the journal is removed.
// Files are read and overwritten many at a time on a network file system
// (see SetIoDepth); the steps themselves keep their order.
//
//   SaveJournal batch(settingsFolder);
//   batch.Add(edit, &why);  ...  (one edit per file)
//   batch.Commit();         (journal, flush, overwrite, flush, drop journal)
//   batch.Results()[i]      (each file's outcome)
//
// A crash (kill, power loss) before the journal is complete and flushed
// leaves every file untouched and a torn journal, which is ignored. After
// that, every file is old, new or partly written, and the complete journal
// puts every one of them back to old: PlayBackJournals runs at the next
// start and on every command-line run. A file that is no longer the one
// the journal recorded (another device or inode, a size neither old nor
// new) is left alone.
//
// While a journal is being used its file is held under an exclusive lock,
// so that another process plays back only journals whose writer died.

#include <sys/types.h>
#include <time.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hozanki {

// The change of one file, planned against the file as it is on disk.
struct InPlaceEdit {
  std::filesystem::path path;
  // The file as planned: a different one at commit time is refused.
  dev_t device = 0;
  ino_t inode = 0;
  uint64_t oldSize = 0;
  struct timespec oldTime {};  // modification time before the write
  // Change time when planned (any write since, even one that kept size and
  // modification time, changes it); zero: not checked.
  struct timespec changeTime {};
  // New bytes at offsets of the file; the file ends at newSize after.
  struct Write {
    uint64_t offset = 0;
    std::string bytes;
  };
  std::vector<Write> writes;
  uint64_t newSize = 0;
  // Keep the modification time as it was ("TimeStamp" on); else it becomes
  // the time of the write.
  bool keepTime = true;

  // Fills path, device, inode, size and time from the file; false when it
  // cannot be read.
  bool Identify(const std::filesystem::path& file, std::string* error);
  // True when the edit changes nothing.
  bool Unchanged() const { return writes.empty() && newSize == oldSize; }
  // Total bytes of the old file that the edit touches.
  uint64_t JournalBytes() const;
};

class SaveJournal {
 public:
  // Journals go to `folder` (the settings folder).
  explicit SaveJournal(std::filesystem::path folder) : folder_(std::move(folder)) {}
  ~SaveJournal();
  SaveJournal(const SaveJournal&) = delete;
  SaveJournal& operator=(const SaveJournal&) = delete;

  // Queues an edit; returns its index in Results().
  size_t Add(InPlaceEdit edit);
  size_t Size() const { return edits_.size(); }
  uint64_t JournalBytes() const { return bytes_; }

  // Writes every queued edit as described above. Each file's outcome is in
  // Results(); a file that cannot be written is put back at once and left
  // as it was. After Commit the batch is empty again.
  struct Result {
    bool ok = false;
    std::string error;
  };
  void Commit();
  const std::vector<Result>& Results() const { return results_; }

  // How many files are read and overwritten at once: 0 (the default) takes
  // IoDepthFor the files' folders, one at a time on a local disk and many
  // on a network file system. Flushes stay one per file system (or file)
  // after all overwrites, whatever the depth.
  void SetIoDepth(unsigned depth) { ioDepth_ = depth; }

  // The journal's file name pattern: "hozanki-journal-*.hzj".
  static bool IsJournalName(std::string_view name);

 private:
  std::filesystem::path folder_;
  std::vector<InPlaceEdit> edits_;
  std::vector<Result> results_;
  uint64_t bytes_ = 0;
  unsigned ioDepth_ = 0;
  unsigned Depth() const;
};

// Plays back the journals in `folder` whose writer died: every file they
// name is put back as it was. Torn journals (never complete, so nothing was
// overwritten) are removed. Returns how many files were put back; `report`
// (when given) gets one line per file that could not be.
int PlayBackJournals(const std::filesystem::path& folder, std::string* report = nullptr);
// The same, with each file that could not be put back and why.
struct PlayBackProblem {
  std::filesystem::path path;
  std::string reason;
};
int PlayBackJournals(const std::filesystem::path& folder, std::vector<PlayBackProblem>* problems);

// Every flush and overwrite of Commit and of the play-back is also told to
// the disk step hook of core/common/AtomicFile.h.
//
// Tests only: called at each step of Commit ("journal-written", "journal-synced", "overwriting" before each
// file, "overwritten", "synced") so a test can end the process there.
void SetJournalStepHookForTest(std::function<void(std::string_view step)> hook);

}  // namespace hozanki
