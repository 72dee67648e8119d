#include "core/tagedit/SaveRenames.h"

#include "core/catalogue/MediaReader.h"
#include "core/rename/RenameBatch.h"

namespace hozanki {

std::vector<bool> RunSaveRenames(const SavePlan& plan, const std::atomic<bool>& cancel,
                                 std::vector<SaveRowResult>& rows, SaveResult& result,
                                 const std::function<void(const SaveProgress&)>& onProgress) {
  std::vector<bool> reached(plan.items.size(), true);
  std::vector<RenameMove> moves;
  std::vector<size_t> itemOf;  // move -> item
  auto progress = [&](size_t k) {
    ++result.count;
    const SaveItem& item = plan.items[k];
    std::string shown = DisplayPath(plan.folder);
    if (shown.empty() || shown.back() != '/') shown += '/';
    shown += DisplayPath(item.entry.relativePath.generic_string());
    if (onProgress)
      onProgress(SaveProgress{SaveProgress::Step::Rename, result.count, result.total, item.format, item.row,
                              std::move(shown)});
  };
  for (size_t k = 0; k < plan.items.size(); ++k) {
    const SaveItem& item = plan.items[k];
    if (!item.rename) continue;
    const std::filesystem::path& oldRelative = item.entry.relativePath;
    SaveRowResult& row = rows[k];
    if (IsBadFileName(item.newName)) {
      progress(k);
      row.rename = RenameOutcome::Failed;
      row.error = "使えないファイル名です (\"" + item.newName + "\")";
      ++result.renameFailures;
    } else if (item.newName == DisplayPath(oldRelative.filename())) {
      progress(k);
      row.rename = RenameOutcome::Unchanged;
    } else {
      moves.push_back(RenameMove{plan.folder / oldRelative, plan.folder / oldRelative.parent_path() / item.newName});
      itemOf.push_back(k);
    }
  }
  if (moves.empty()) return reached;

  RenameBatchOptions options;
  options.logPath = plan.renameLog;
  options.cancelled = [&cancel] { return cancel.load(); };
  options.beforeMove = [&](size_t m) { progress(itemOf[m]); };
  const std::vector<MoveResult> done = RunRenameBatch(moves, options);
  for (size_t m = 0; m < moves.size(); ++m) {
    SaveRowResult& row = rows[itemOf[m]];
    switch (done[m].outcome) {
      case MoveOutcome::NotDone:
        reached[itemOf[m]] = false;
        break;
      case MoveOutcome::Unchanged:
        row.rename = RenameOutcome::Unchanged;
        break;
      case MoveOutcome::Renamed:
        row.rename = RenameOutcome::Renamed;
        row.newRelativePath = plan.items[itemOf[m]].entry.relativePath.parent_path() / plan.items[itemOf[m]].newName;
        break;
      case MoveOutcome::Failed:
        row.rename = RenameOutcome::Failed;
        row.error = done[m].error.empty() ? "名前を変更できません" : done[m].error;
        ++result.renameFailures;
        break;
    }
  }
  return reached;
}

}  // namespace hozanki
