#include "core/tagedit/SaveEngine.h"

#include <algorithm>
#include <cstdint>
#include <set>

#include "core/catalogue/MediaReader.h"
#include "core/common/AtomicFile.h"
#include "core/common/IoDepth.h"
#include "core/common/ParallelFor.h"
#include "core/common/SaveJournal.h"
#include "core/rename/RenameBatch.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/SaveRenames.h"

namespace hozanki {
namespace {

// A batch of in-place writes: files whose old bytes are held in memory and
// in one journal, and flushed together (a batch costs about four flushes).
constexpr size_t kBatchFiles = 1000;
constexpr uint64_t kBatchBytes = 32u << 20;
// Files of a batch held locked until it is written (each holds a descriptor).
constexpr size_t kBatchLocks = 256;

constexpr const char* kChangedSinceRead = "読み込んだ後に他のプログラムがファイルを変更したため保存しません";

// Locks the file and checks that it is still the one `expected` describes;
// false with `error` set when it is not (or cannot be checked).
bool LockUnchanged(const std::filesystem::path& path, const FileIdentity& expected, FileLock& lock,
                   std::string& error) {
  if (!lock.Lock(path, &error)) return false;
  const std::optional<FileIdentity> now = lock.Identity();
  if (now && *now == expected) return true;
  error = std::string(kChangedSinceRead) + " (" + path.string() + ")";
  lock.Unlock();
  return false;
}

bool AnyTagChanged(const MediaFileEntry& entry) {
  return std::any_of(entry.tags.begin(), entry.tags.end(),
                     [](const TagRow& row) { return row.image == kChangedMark; });
}

std::string ShownPath(const std::filesystem::path& folder, const std::filesystem::path& relative) {
  std::string text = DisplayPath(folder);
  if (text.empty() || text.back() != '/') text += '/';
  return text + DisplayPath(relative.generic_string());
}

// How many files the save handles at once: the plan's depth, else one
// unless a folder written to is on a network file system.
unsigned SaveIoDepth(const SavePlan& plan) {
  if (plan.ioDepth > 0) return plan.ioDepth;
  std::set<std::filesystem::path> folders;
  for (const SaveItem& item : plan.items) {
    if (!item.write) continue;
    std::filesystem::path folder = (plan.folder / item.entry.relativePath).parent_path();
    if (!folders.insert(folder).second) continue;
    if (unsigned depth = IoDepthFor(folder, 1); depth > 1) return depth;
  }
  return 1;
}

}  // namespace

WriteSettings SaveWriteSettings(const AppSettings& settings) {
  return WriteSettings::FromOptions(settings);
}

bool HasStagedChanges(const Catalogue& catalogue) {
  for (int f = 0; f < kFormatCount; ++f)
    for (const MediaFileEntry& entry : catalogue.Entries(static_cast<MediaFormat>(f)))
      if (entry.file.image == kChangedMark || AnyTagChanged(entry)) return true;
  return false;
}

void KeepSaveRecords(SavePlan& plan, const std::filesystem::path& recordsFolder) {
  plan.settings.journalFolder = recordsFolder;
  plan.renameLog = recordsFolder / kRenameLogFileName;
}

SavePlan CollectSavePlan(const Catalogue& catalogue, const std::filesystem::path& folder,
                         const WriteSettings& settings, const std::filesystem::path& recordsFolder) {
  SavePlan plan = CollectSavePlan(catalogue, folder, settings);
  KeepSaveRecords(plan, recordsFolder);
  return plan;
}

SavePlan CollectSavePlan(const Catalogue& catalogue, const std::filesystem::path& folder,
                         const WriteSettings& settings) {
  SavePlan plan;
  plan.folder = folder;
  plan.settings = settings;
  for (int f = 0; f < kFormatCount; ++f) {
    const MediaFormat format = static_cast<MediaFormat>(f);
    const auto& entries = catalogue.Entries(format);
    for (size_t row = 0; row < entries.size(); ++row) {
      const MediaFileEntry& entry = entries[row];
      const bool rename = entry.file.image == kChangedMark;
      plan.total += rename;
      for (const TagRow& tag : entry.tags) plan.total += tag.image == kChangedMark;
      const bool write = AnyTagChanged(entry);
      if (!rename && !write) continue;
      std::string newName = entry.file.cells.empty() ? std::string() : entry.file.cells[0].text;
      plan.items.push_back(SaveItem{format, static_cast<int>(row), entry, rename, std::move(newName), write, {}});
    }
  }
  return plan;
}

std::string SaveProgress::CountText() const {
  return std::to_string(count) + " / " + std::to_string(total);
}

std::string SaveProgress::MessageText() const {
  return path + std::string(kSavingSuffix);
}

int SaveResult::FailedFiles() const {
  return static_cast<int>(
      std::count_if(rows.begin(), rows.end(), [](const SaveRowResult& r) { return r.Failed(); }));
}

std::string SaveFailureText(const SaveResult& result) {
  int failed = result.FailedFiles();
  if (failed == 0) return {};
  return std::to_string(failed) + " 個のファイルを保存できませんでした";
}

std::vector<SaveFailure> SaveFailures(const std::filesystem::path& folder, const SaveResult& result) {
  std::vector<SaveFailure> failures;
  for (const SaveRowResult& row : result.rows) {
    if (!row.Failed()) continue;
    const bool rename = row.rename == RenameOutcome::Failed;
    std::string reason = row.error.empty() ? std::string("原因不明のエラー") : row.error;
    if (rename) reason = "名前の変更: " + reason;
    failures.push_back({ShownPath(folder, rename ? row.oldRelativePath : row.newRelativePath), std::move(reason)});
  }
  return failures;
}

SaveResult SaveEngine::Run(const std::function<void(const SaveProgress&)>& onProgress,
                           const std::function<void(const SaveRowResult&)>& onRowDone) {
  SaveResult result;
  result.total = plan_.total;
  std::vector<SaveRowResult> renamed(plan_.items.size());
  for (size_t k = 0; k < plan_.items.size(); ++k) {
    const SaveItem& item = plan_.items[k];
    SaveRowResult& row = renamed[k];
    row.format = item.format;
    row.row = item.row;
    row.oldRelativePath = item.entry.relativePath;
    row.newRelativePath = item.entry.relativePath;
  }
  // A file read by another run is checked before its rename: one that
  // another program changed since is neither renamed nor written.
  for (size_t k = 0; k < plan_.items.size(); ++k) {
    SaveItem& item = plan_.items[k];
    if (!item.expected || !item.rename) continue;
    FileLock lock;
    std::string error;
    if (LockUnchanged(plan_.folder / item.entry.relativePath, *item.expected, lock, error)) continue;
    SaveRowResult& row = renamed[k];
    row.error = error;
    row.rename = RenameOutcome::Failed;
    ++result.renameFailures;
    if (item.write) row.write = WriteOutcome::Skipped;
    item.rename = item.write = false;
  }
  // Renames first, in an order that lets swaps and cycles work out.
  const std::vector<bool> reached = RunSaveRenames(plan_, cancel_, renamed, result, onProgress);
  // A rename changes the file's change time: the identity follows it when
  // the file is otherwise the same.
  for (size_t k = 0; k < plan_.items.size(); ++k) {
    SaveItem& item = plan_.items[k];
    if (!item.expected || renamed[k].rename != RenameOutcome::Renamed) continue;
    const std::optional<FileIdentity> now = IdentityOfFile(plan_.folder / renamed[k].newRelativePath);
    if (now && now->device == item.expected->device && now->inode == item.expected->inode &&
        now->size == item.expected->size && now->tagHash == item.expected->tagHash)
      item.expected = now;
  }

  // Then the tags. Files written in place wait for one journal flush for
  // the whole batch (group commit); their results, and those of the files
  // between them, are given out in order once the batch is written.
  SaveJournal journal(plan_.settings.journalFolder);
  struct Pending {
    SaveRowResult row;
    size_t edit = SIZE_MAX;
    FileLock lock;  // held until the batch is written
  };
  size_t locks = 0;
  std::vector<Pending> pending;
  auto flush = [&] {
    if (journal.Size() > 0) journal.Commit();
    for (Pending& p : pending) {
      if (p.edit != SIZE_MAX) {
        const SaveJournal::Result& written = journal.Results()[p.edit];
        p.row.write = written.ok ? WriteOutcome::Written : WriteOutcome::Failed;
        if (!written.ok) {
          p.row.error = written.error;
          ++result.writeFailures;
        }
      }
      p.lock.Unlock();
      if (onRowDone) onRowDone(p.row);
      result.rows.push_back(std::move(p.row));
    }
    pending.clear();
    locks = 0;
  };
  // Each file is read, planned and (when it does not fit) rewritten on its
  // own; on a network file system many at a time, in windows of different
  // files whose outcomes are then taken in order. A cancel completes the
  // files in flight.
  const unsigned depth = SaveIoDepth(plan_);
  journal.SetIoDepth(depth);
  struct Prepared {
    FileLock lock;
    bool lockFailed = false;
    PreparedWrite outcome = PreparedWrite::Failed;
    InPlaceEdit edit;
    std::string error;
    bool done = false;
  };
  auto progress = [&](size_t k, int count) {
    const SaveItem& item = plan_.items[k];
    onProgress(SaveProgress{SaveProgress::Step::Write, count, result.total, item.format, item.row,
                            ShownPath(plan_.folder, renamed[k].newRelativePath)});
  };
  for (size_t k = 0; k < plan_.items.size();) {
    if (cancel_.load() || !reached[k]) {
      flush();
      result.cancelled = true;
      // Files renamed before the cancel are reported with their tags unwritten.
      for (size_t rest = k; rest < plan_.items.size(); ++rest) {
        SaveRowResult& row = renamed[rest];
        if (!reached[rest] || row.rename == RenameOutcome::None) continue;
        if (plan_.items[rest].write) row.write = WriteOutcome::Skipped;
        if (onRowDone) onRowDone(row);
        result.rows.push_back(std::move(row));
      }
      return result;
    }
    size_t end = k + 1;
    if (depth > 1) {
      const size_t most = std::max<size_t>(1, std::min<size_t>(size_t{8} * depth, kBatchLocks - locks));
      std::set<std::filesystem::path> files{renamed[k].newRelativePath};
      while (end < plan_.items.size() && end - k < most && reached[end] &&
             files.insert(renamed[end].newRelativePath).second)
        ++end;
    }
    std::vector<Prepared> prepared(end - k);
    ParallelFor(
        prepared.size(), depth,
        [&](size_t w) {
          const size_t j = k + w;
          const SaveItem& item = plan_.items[j];
          const SaveRowResult& row = renamed[j];
          Prepared& out = prepared[w];
          out.done = true;
          if (!item.write || row.rename == RenameOutcome::Failed) return;
          if (item.expected &&
              !LockUnchanged(plan_.folder / row.newRelativePath, *item.expected, out.lock, out.error)) {
            out.lockFailed = true;
            return;
          }
          // One file at a time: the step is told before it is taken.
          if (depth == 1 && onProgress) progress(j, result.count + 1);
          MediaFileEntry entry = item.entry;
          entry.relativePath = row.newRelativePath;
          out.outcome = PrepareMediaWrite(plan_.folder, entry, plan_.settings, out.edit, &out.error);
        },
        depth > 1 ? &cancel_ : nullptr);
    for (Prepared& out : prepared) {
      if (!out.done) break;  // cancelled: the files taken form a prefix
      const SaveItem& item = plan_.items[k];
      Pending p;
      p.row = std::move(renamed[k]);
      SaveRowResult& row = p.row;
      ++k;
      if (item.write) {
        if (row.rename == RenameOutcome::Failed) {
          row.write = WriteOutcome::Skipped;
        } else if (out.lockFailed) {
          ++result.count;
          row.write = WriteOutcome::Failed;
          row.error = std::move(out.error);
          ++result.writeFailures;
        } else {
          ++result.count;
          if (depth > 1 && onProgress) progress(k - 1, result.count);
          switch (out.outcome) {
            case PreparedWrite::Written:
              row.write = WriteOutcome::Written;
              break;
            case PreparedWrite::Failed:
              row.write = WriteOutcome::Failed;
              row.error = std::move(out.error);
              ++result.writeFailures;
              break;
            case PreparedWrite::InPlace:
              row.write = WriteOutcome::Written;
              if (!out.edit.Unchanged()) p.edit = journal.Add(std::move(out.edit));
              break;
          }
          p.lock = std::move(out.lock);
        }
      }
      if (p.edit == SIZE_MAX) p.lock.Unlock();  // written already (or not at all)
      locks += p.edit != SIZE_MAX && item.expected;
      pending.push_back(std::move(p));
      if (journal.Size() >= kBatchFiles || journal.JournalBytes() >= kBatchBytes || locks >= kBatchLocks) flush();
    }
  }
  flush();
  return result;
}

bool ApplySaveRowResult(Catalogue& catalogue, const SaveRowResult& result) {
  if (result.row < 0 || result.row >= catalogue.RowCount(result.format)) return false;
  if (catalogue.Entries(result.format)[static_cast<size_t>(result.row)].relativePath !=
      result.oldRelativePath)
    return false;
  catalogue.EditRow(result.format, result.row, [&](MediaFileEntry& entry) {
    if (result.rename == RenameOutcome::Failed) {
      entry.file.image = kErrorMark;
      return;
    }
    if (result.rename == RenameOutcome::Renamed) {
      entry.relativePath = result.newRelativePath;
      std::string shown = DisplayPath(result.newRelativePath.generic_string());
      for (TagRow& tag : entry.tags)
        if (!tag.cells.empty()) tag.cells[0].text = shown;
    }
    if (result.rename != RenameOutcome::None && entry.file.image == kChangedMark) entry.file.image = kNoMark;
  });
  return true;
}

std::vector<ReloadItem> ReloadItemsAfterSave(const Catalogue& catalogue, const SaveResult& result) {
  std::vector<ReloadItem> items;
  for (const SaveRowResult& row : result.rows) {
    if (row.Failed() || row.row < 0 || row.row >= catalogue.RowCount(row.format)) continue;
    if (row.write == WriteOutcome::Skipped) continue;  // renamed, tags still staged
    if (row.rename == RenameOutcome::None && row.write == WriteOutcome::None) continue;
    const MediaFileEntry& entry = catalogue.Entries(row.format)[static_cast<size_t>(row.row)];
    if (entry.relativePath != row.newRelativePath) continue;
    items.push_back(ReloadItem{row.format, static_cast<size_t>(row.row), entry});
  }
  return items;
}

}  // namespace hozanki
