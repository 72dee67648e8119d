#include "core/listout/TemplateRowEdit.h"

#include <algorithm>

#include "core/listout/ListItems.h"

namespace hozanki {
namespace {

bool Marked(const std::vector<TemplateRow>& rows, int row) {
  return row >= 0 && row < static_cast<int>(rows.size()) && !rows[static_cast<size_t>(row)].LoopMark.empty();
}

}  // namespace

bool ToggleLoopMark(std::vector<TemplateRow>& rows, int row) {
  const int count = static_cast<int>(rows.size());
  if (row < 0 || row >= count) return false;
  TemplateRow& target = rows[static_cast<size_t>(row)];
  if (!target.LoopMark.empty()) {
    const bool end = row == 0 || row == count - 1 || !Marked(rows, row - 1) || !Marked(rows, row + 1);
    if (!end) return false;
    target.LoopMark.clear();
    return true;
  }
  const bool anyMarked =
      std::any_of(rows.begin(), rows.end(), [](const TemplateRow& r) { return !r.LoopMark.empty(); });
  if (anyMarked && !Marked(rows, row - 1) && !Marked(rows, row + 1)) return false;
  target.LoopMark = kLoopMarkText;
  return true;
}

bool ChooseItem(TemplateRow& row, std::string_view item) {
  if (item == row.Item) return false;
  if (item == kListSeparator) item = kItemText;
  row.Item = item;
  if (item == kItemText) {
    row.Text.clear();
    row.Option.clear();
    return true;
  }
  if (row.Option.empty()) row.Option = kListOptionNames[kOptionWhole];
  const int option = ListOptionNumber(row.Option);
  if (option >= 0 && !OptionTakesText(option)) row.Text.clear();
  return true;
}

bool ChooseOption(TemplateRow& row, std::string_view option) {
  if (option == row.Option) return false;
  const int number = ListOptionNumber(option);
  if (number < 0) return false;
  row.Option = option;
  if (!OptionTakesText(number)) row.Text.clear();
  if (number == kOptionSubstring) row.Text = "0,0";
  if (number == kOptionRegexp) row.Text = "s///";
  return true;
}

void ToggleLineBreak(TemplateRow& row) {
  row.Option = row.Option.empty() ? std::string(kLineBreakMark) : std::string();
}

std::vector<int> MoveOrder(int count, const std::vector<int>& selected, int dropRow, bool upward) {
  if (selected.empty() || dropRow < 0 || dropRow >= count) return {};
  if (std::find(selected.begin(), selected.end(), dropRow) != selected.end()) return {};
  if (!upward && selected.back() >= dropRow) return {};
  std::vector<bool> moving(static_cast<size_t>(count), false);
  for (int row : selected)
    if (row >= 0 && row < count) moving[static_cast<size_t>(row)] = true;
  std::vector<int> order;
  order.reserve(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row) {
    if (moving[static_cast<size_t>(row)]) continue;
    if (row == dropRow && upward)
      for (int s : selected) order.push_back(s);
    order.push_back(row);
    if (row == dropRow && !upward)
      for (int s : selected) order.push_back(s);
  }
  return order;
}

void AdjustMovedMark(std::vector<TemplateRow>& rows, int row) {
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  TemplateRow& moved = rows[static_cast<size_t>(row)];
  const bool above = Marked(rows, row - 1);
  const bool below = Marked(rows, row + 1);
  if (!moved.LoopMark.empty() && !above && !below) moved.LoopMark.clear();
  if (moved.LoopMark.empty() && above && below) moved.LoopMark = kLoopMarkText;
}

}  // namespace hozanki
