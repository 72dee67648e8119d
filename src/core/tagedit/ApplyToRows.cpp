#include "core/tagedit/ApplyToRows.h"

#include "core/tagedit/SetCellValue.h"

namespace hozanki {

ApplyResult ApplyToRows(Catalogue& catalogue, const EditTarget& target, std::span<const int> selected,
                        RowPolicy policy, const CellComputation& compute) {
  const Catalogue::ChangeBatch batch(catalogue);
  ApplyResult result;
  if (!target.IsValid()) return result;
  if (selected.empty() && policy.whenNone == WhenNoneSelected::Nothing) return result;
  const std::vector<int> rows = policy.closed == ClosedRows::Skip
                                    ? RowsOpenToEditing(catalogue, target, selected)
                                    : SelectedOrAllRows(catalogue, target.format, selected);
  std::string error;
  for (int row : rows) {
    const std::string text = CellText(catalogue, target, row);
    error.clear();
    const std::string changed = compute(text, error);
    if (!error.empty()) {
      result.failures.push_back({row, error});
      continue;
    }
    if (changed == text) continue;
    // "ExtProtect" only concerns pastes and fixed-form results.
    if (SetCellValue(catalogue, target, row, changed, ValueSource::Other, false)) ++result.changed;
  }
  return result;
}

}  // namespace hozanki
