#include "core/tagedit/SetCellValue.h"

#include "core/tagedit/CheckStates.h"
#include "core/text/TextWidth.h"

namespace hozanki {

std::string StoredText(const MediaFileEntry& entry, const EditTarget& target, std::string_view text,
                       ValueSource source, bool extProtect) {
  std::string stored(text);
  if (target.subItem == 0 && extProtect && source != ValueSource::Other) {
    const std::string& old = TargetCell(entry, target);
    size_t dot = ExtensionPos(old);
    if (dot != std::string::npos) stored += old.substr(dot);
  }
  return stored;
}

bool SetCellValue(Catalogue& catalogue, const EditTarget& target, int row, std::string_view text,
                  ValueSource source, bool extProtect) {
  if (!target.IsValid() || row < 0 || row >= catalogue.RowCount(target.format)) return false;
  if (!target.IsFileList() && target.subItem == 0) return false;
  catalogue.EditRow(target.format, row, [&](MediaFileEntry& entry) {
    std::string stored = StoredText(entry, target, text, source, extProtect);
    if (target.IsFileList()) {
      entry.file.cells[0].text = std::move(stored);
      entry.file.image = kChangedMark;
      return;
    }
    const size_t index = static_cast<size_t>(TagRowIndex(*target.kind));
    KeepStoredValue(entry, index, static_cast<size_t>(target.subItem));
    TagRow& tag = entry.tags[index];
    Cell& cell = tag.cells[static_cast<size_t>(target.subItem)];
    cell.text = std::move(stored);
    cell.value = 1;
    tag.image = kChangedMark;
    if (tag.state == kUnchecked) {
      tag.state = kChecked;
      ApplyExclusionRule(entry, *target.kind);
    }
  });
  return true;
}

bool SetCellValue(Catalogue& catalogue, const EditTarget& target, int row, std::string_view text) {
  return SetCellValue(catalogue, target, row, text, ValueSource::Other, false);
}

bool CommitCellEdit(Catalogue& catalogue, const EditTarget& target, int row, std::string_view text) {
  if (!target.IsValid() || row < 0 || row >= catalogue.RowCount(target.format)) return false;
  if (!target.IsFileList() && target.subItem == 0) return false;
  if (CellText(catalogue, target, row) == text) return false;
  catalogue.EditRow(target.format, row, [&](MediaFileEntry& entry) {
    if (target.IsFileList()) {
      entry.file.cells[0].text = std::string(text);
      entry.file.image = kChangedMark;
      return;
    }
    const size_t index = static_cast<size_t>(TagRowIndex(*target.kind));
    KeepStoredValue(entry, index, static_cast<size_t>(target.subItem));
    TagRow& tag = entry.tags[index];
    tag.cells[static_cast<size_t>(target.subItem)] = Cell{std::string(text), 1};
    if (tag.state != kUnavailable) tag.state = kChecked;
    ApplyExclusionRule(entry, *target.kind);
    tag.image = kChangedMark;
  });
  return true;
}

int ClearCells(Catalogue& catalogue, const EditTarget& target, std::span<const int> selected) {
  const Catalogue::ChangeBatch batch(catalogue);
  if (!target.IsValueColumn()) return 0;
  int count = 0;
  const size_t index = static_cast<size_t>(TagRowIndex(*target.kind));
  for (int row : RowsOpenToEditing(catalogue, target, selected)) {
    if (CellText(catalogue, target, row).empty()) continue;
    catalogue.EditRow(target.format, row, [&](MediaFileEntry& entry) {
      KeepStoredValue(entry, index, static_cast<size_t>(target.subItem));
      TagRow& tag = entry.tags[index];
      Cell& cell = tag.cells[static_cast<size_t>(target.subItem)];
      cell.text.clear();
      cell.value = 1;
      tag.image = kChangedMark;
    });
    ++count;
  }
  return count;
}

}  // namespace hozanki
