#include "core/tagedit/TagSort.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/SortKeys.h"

namespace hozanki {

std::string TagCellSortKey(std::string_view text, bool rightAligned) {
  std::string key = TextSortKey(text);
  if (key.size() > kTagSortKeyWidth) key.resize(kTagSortKeyWidth);
  if (rightAligned && key.size() < kTagSortKeyWidth) key.insert(0, kTagSortKeyWidth - key.size(), '0');
  return key;
}

std::vector<int> TagSortOrder(const std::vector<MediaFileEntry>& entries, TagKind kind, int column,
                              bool descending) {
  const std::span<const ColumnSpec> columns = TagTableColumns(kind);
  const bool rightAligned = column >= 0 && column < static_cast<int>(columns.size()) &&
                            columns[static_cast<size_t>(column)].alignment == ColumnAlignment::Right;
  const size_t tagIndex = static_cast<size_t>(TagRowIndex(kind));
  const size_t cell = column >= 1 ? static_cast<size_t>(column - 1) : 0;
  std::vector<std::string> keys(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const MediaFileEntry& entry = entries[i];
    std::string_view text;
    if (tagIndex < entry.tags.size() && cell < entry.tags[tagIndex].cells.size())
      text = entry.tags[tagIndex].cells[cell].text;
    keys[i] = TagCellSortKey(text, rightAligned);
  }
  return SortOrderByKeys(keys, descending);
}

}  // namespace hozanki
