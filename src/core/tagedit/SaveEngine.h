#pragma once
// The work of `SaveTag` without the window: renames files whose names were
// edited, then writes the tags of every file with a changed row.
//
// Threads: the GUI thread calls CollectSavePlan (a snapshot of what to
// write), a worker thread calls SaveEngine::Run (file I/O only, never the
// catalogue), and the GUI thread applies each SaveRowResult with
// ApplySaveRowResult and finally re-reads ReloadItemsAfterSave. Cancel() may
// be called from any thread; the file being saved is completed first.
//
// With a journal folder in the plan's settings, files whose new tags fit are
// written in place in batches (one journal flush per batch, see
// SaveJournal): their results, and those of the files between them, come
// out in order when the batch is written, and a cancel writes the batch
// begun. On a network file system many files are read, planned and written
// at once (SavePlan::ioDepth); a cancel then completes the files in flight.

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/LoadEngine.h"
#include "core/catalogue/MediaWriter.h"
#include "core/common/FileIdentity.h"
#include "core/rename/NameConflicts.h"

namespace hozanki {

struct AppSettings;

// Status texts of saving.
inline constexpr std::string_view kSaveModeText = "セーブ";      // panel 2
inline constexpr std::string_view kSavingSuffix = " 保存中...";  // after the path in panel 0
inline constexpr std::string_view kSaveCancelText =
    "キャンセルを受け付けました... 現在処理中のファイルが保存完了するまで待機中...";

// "TimeStamp", "Unicode", "Unsync", "ID3v2Ver" of the options
// (WriteSettings::FromOptions).
WriteSettings SaveWriteSettings(const AppSettings& settings);

// One file to handle, copied from the catalogue.
struct SaveItem {
  MediaFormat format = MediaFormat::MP3;
  int row = 0;
  MediaFileEntry entry;  // as it was when the plan was made
  bool rename = false;   // the file row carries the changed mark
  std::string newName;   // the file row's name (UTF-8, as typed)
  bool write = false;    // a tag row of the file carries the changed mark
  // The file as it was when its values were read, when the reader was
  // another run (a listing the command line applies): the save checks it
  // again under the file's lock just before writing, and refuses a file
  // that another program changed since (its values would be put back).
  std::optional<FileIdentity> expected;
};

struct SavePlan {
  std::filesystem::path folder;
  WriteSettings settings;
  std::vector<SaveItem> items;  // file pages in order, rows in list order
  // The rename log that lets the next start finish renames a crash cut short
  // (in the settings folder; empty: none is kept).
  std::filesystem::path renameLog;
  // Files read, planned and written at once: 0 takes IoDepthFor the folders
  // written to (one at a time on a local disk, many on a share).
  unsigned ioDepth = 0;
  // Rows carrying the changed mark over all file lists and all tag tables
  // (a file changed in several MP3 tables counts once per table).
  int total = 0;
};

SavePlan CollectSavePlan(const Catalogue& catalogue, const std::filesystem::path& folder,
                         const WriteSettings& settings);

// The plan of a save as the window and every command that changes files
// make it: the journal of in-place writes and the rename log, which let the
// next start finish or undo a save that a crash cut short, both go to
// `recordsFolder` (the settings folder).
SavePlan CollectSavePlan(const Catalogue& catalogue, const std::filesystem::path& folder,
                         const WriteSettings& settings, const std::filesystem::path& recordsFolder);
void KeepSaveRecords(SavePlan& plan, const std::filesystem::path& recordsFolder);

// Whether any file row or tag row carries the changed mark: edits that a
// load, a reload or closing the window would drop.
bool HasStagedChanges(const Catalogue& catalogue);

// IsBadFileName, the rule for new names, is in core/rename/NameConflicts.h
// (included above for the callers of the save).

enum class RenameOutcome { None, Renamed, Unchanged, Failed };
enum class WriteOutcome { None, Written, Failed, Skipped };  // Skipped: rename failed or cancelled

struct SaveRowResult {
  MediaFormat format = MediaFormat::MP3;
  int row = 0;
  std::filesystem::path oldRelativePath;
  std::filesystem::path newRelativePath;  // after a rename; else the old one
  RenameOutcome rename = RenameOutcome::None;
  WriteOutcome write = WriteOutcome::None;
  std::string error;  // why the rename or the write failed

  bool Failed() const { return rename == RenameOutcome::Failed || write == WriteOutcome::Failed; }
};

// Before each step: the running count, the total and the file concerned.
struct SaveProgress {
  enum class Step { Rename, Write } step = Step::Write;
  int count = 0;
  int total = 0;
  MediaFormat format = MediaFormat::MP3;
  int row = 0;
  std::string path;  // full path as shown: folder + "/" + relative name

  std::string CountText() const;    // "count / total" (panel 1)
  std::string MessageText() const;  // path + " 保存中..." (panel 0, write steps)
};

struct SaveResult {
  std::vector<SaveRowResult> rows;  // one per file handled, in order
  int count = 0;
  int total = 0;
  bool cancelled = false;
  int renameFailures = 0;
  int writeFailures = 0;
  // Files whose rename or write failed.
  int FailedFiles() const;
};

// The status-bar line after a save with failures ("" when there were none).
std::string SaveFailureText(const SaveResult& result);

// One file that could not be saved: its full path as shown (the old name
// when the rename failed) and why, in the user's words.
struct SaveFailure {
  std::string path;
  std::string reason;
};
// The failed files of a save in the order they were handled.
std::vector<SaveFailure> SaveFailures(const std::filesystem::path& folder, const SaveResult& result);

class SaveEngine {
 public:
  explicit SaveEngine(SavePlan plan) : plan_(std::move(plan)) {}

  // Runs the plan: first the renames of all files, ordered so that swaps and
  // cycles work out and never replacing an existing file (a failure skips the
  // file's tags), then for each file the write through WriteMediaFile under
  // the new name. Callbacks run on the calling thread: `onProgress` before
  // each step, `onRowDone` after each file.
  SaveResult Run(const std::function<void(const SaveProgress&)>& onProgress = {},
                 const std::function<void(const SaveRowResult&)>& onRowDone = {});

  void Cancel() { cancel_.store(true); }
  const SavePlan& Plan() const { return plan_; }

 private:
  SavePlan plan_;
  std::atomic<bool> cancel_{false};
};

// GUI thread: brings a row in line with its result. A renamed file takes its
// new name in its tag rows (and loses the file row's changed mark, the rename
// being done); a failed rename gives the file row the error mark. False when
// the row no longer holds that file.
bool ApplySaveRowResult(Catalogue& catalogue, const SaveRowResult& result);

// GUI thread, after the results are applied: the rows to read again, those
// whose files were renamed or written. Files that failed keep their marks
// and staged values (and the error mark), so the user sees what was not
// saved; files not reached after a cancel keep their staged changes (also
// those renamed before the cancel whose tags were not written).
std::vector<ReloadItem> ReloadItemsAfterSave(const Catalogue& catalogue, const SaveResult& result);

}  // namespace hozanki
