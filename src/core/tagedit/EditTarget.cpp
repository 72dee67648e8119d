#include "core/tagedit/EditTarget.h"

#include <algorithm>

#include "core/catalogue/ColumnTables.h"

namespace hozanki {
namespace {

const std::string kEmpty;

const std::vector<Cell>* TargetCells(const MediaFileEntry& entry, const EditTarget& target) {
  if (target.IsFileList()) return &entry.file.cells;
  size_t index = static_cast<size_t>(TagRowIndex(*target.kind));
  return index < entry.tags.size() ? &entry.tags[index].cells : nullptr;
}

}  // namespace

bool EditTarget::IsValid() const {
  if (IsFileList()) return subItem == 0;
  if (FormatOfTagKind(*kind) != format) return false;
  return subItem >= 0 && subItem <= static_cast<int>(ValueNamesOf(*kind).size());
}

bool EditTarget::IsValueColumn() const {
  return !IsFileList() && subItem >= 1 && IsValid();
}

int EditTarget::ColumnTag() const {
  if (!IsValueColumn()) return kColumnFreeText;
  return TagTableColumns(*kind)[static_cast<size_t>(subItem) + 1].tag;
}

size_t EditTarget::Limit() const {
  int tag = ColumnTag();
  return tag > 0 ? static_cast<size_t>(tag) : 0;
}

const std::string& TargetCell(const MediaFileEntry& entry, const EditTarget& target) {
  const std::vector<Cell>* cells = TargetCells(entry, target);
  if (!cells || target.subItem < 0 || static_cast<size_t>(target.subItem) >= cells->size()) return kEmpty;
  return (*cells)[static_cast<size_t>(target.subItem)].text;
}

std::string CellText(const Catalogue& catalogue, const EditTarget& target, int row) {
  const auto& entries = catalogue.Entries(target.format);
  if (row < 0 || row >= static_cast<int>(entries.size())) return {};
  return TargetCell(entries[static_cast<size_t>(row)], target);
}

bool IsRowOpenToEditing(const MediaFileEntry& entry, const EditTarget& target) {
  if (target.IsFileList()) return entry.file.image != kErrorMark;
  size_t index = static_cast<size_t>(TagRowIndex(*target.kind));
  if (index >= entry.tags.size()) return false;
  const TagRow& row = entry.tags[index];
  return row.image != kErrorMark && row.state != kUnavailable;
}

std::vector<int> SelectedOrAllRows(const Catalogue& catalogue, MediaFormat format,
                                   std::span<const int> selected) {
  const int count = catalogue.RowCount(format);
  std::vector<int> rows;
  if (selected.empty()) {
    rows.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) rows[static_cast<size_t>(i)] = i;
    return rows;
  }
  rows.assign(selected.begin(), selected.end());
  std::erase_if(rows, [count](int r) { return r < 0 || r >= count; });
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

std::vector<int> RowsOpenToEditing(const Catalogue& catalogue, const EditTarget& target,
                                   std::span<const int> selected) {
  std::vector<int> rows = SelectedOrAllRows(catalogue, target.format, selected);
  const auto& entries = catalogue.Entries(target.format);
  std::erase_if(rows, [&](int r) { return !IsRowOpenToEditing(entries[static_cast<size_t>(r)], target); });
  return rows;
}

}  // namespace hozanki
