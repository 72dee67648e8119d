#include "core/tagedit/SaveRecovery.h"

#include "core/catalogue/MediaReader.h"
#include "core/common/AtomicFile.h"
#include "core/common/SaveJournal.h"
#include "core/rename/RenameBatch.h"

namespace hozanki {

std::string RecoveryReport::SummaryText() const {
  if (failures.empty()) return {};
  return "中断された保存のうち " + std::to_string(failures.size()) + " 個のファイルを元に戻せませんでした";
}

RecoveryReport RecoverInterruptedSaves(const std::filesystem::path& settingsFolder) {
  RecoveryReport report;
  // Recovery copies of the data files and the rename log's own writes.
  SweepTemporaryFiles(settingsFolder);
  // Files a save left half written in place are put back as they were.
  std::vector<PlayBackProblem> journal;
  report.putBack = PlayBackJournals(settingsFolder, &journal);
  for (const PlayBackProblem& p : journal)
    report.failures.push_back({DisplayPath(p.path), "中断された保存を元に戻せません: " + p.reason});
  // Files a crash left under a temporary name get their new or old name.
  std::vector<RenameLogProblem> renames;
  report.renamed = ReplayRenameLog(settingsFolder / kRenameLogFileName, &renames);
  for (const RenameLogProblem& p : renames)
    report.failures.push_back({DisplayPath(p.temporary),
                               "中断された名前の変更を終えられません (元の名前 " + DisplayPath(p.from.filename()) +
                                   "、新しい名前 " + DisplayPath(p.to.filename()) + "): " + p.reason});
  return report;
}

}  // namespace hozanki
