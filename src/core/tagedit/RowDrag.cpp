#include "core/tagedit/RowDrag.h"

#include <algorithm>

namespace hozanki {

std::optional<std::vector<int>> DraggedRowOrder(int count, std::span<const int> selected, int target) {
  if (count <= 0 || target < 0 || target >= count || selected.empty()) return std::nullopt;
  std::vector<int> rows(selected.begin(), selected.end());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.front() < 0 || rows.back() >= count) return std::nullopt;
  const int first = rows.front();
  const int last = rows.back();
  if (target == first) return std::nullopt;
  if (target > first && last >= target) return std::nullopt;
  // Moving up, each selected row i lands at target + i - first; moving down
  // at target + i - last. The other rows fill the rest in their order.
  const int base = target < first ? first : last;
  std::vector<int> order(static_cast<size_t>(count), -1);
  std::vector<char> moved(static_cast<size_t>(count), 0);
  for (int row : rows) {
    order[static_cast<size_t>(target + row - base)] = row;
    moved[static_cast<size_t>(row)] = 1;
  }
  int next = 0;
  for (int& slot : order) {
    if (slot != -1) continue;
    while (moved[static_cast<size_t>(next)]) ++next;
    slot = next++;
  }
  return order;
}

}  // namespace hozanki
