#pragma once
// Sorting the rows of a format by a column of one of its tag tables (Shift +
// header click). Each row's key is the cell text as comparison bytes
// (TextSortKey) cut at 256 bytes; a right-aligned column's key is filled on
// the left with "0" to 256 bytes, so numbers of up to 256 digits sort
// numerically ("9" before "10"). Keys compare without regard to ASCII letter
// case; equal keys keep their order when ascending and come out reversed when
// descending. The file list and every tag table of the format follow, being
// views of the same rows.

#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue/MediaFileEntry.h"

namespace hozanki {

// Width of a tag table's sort key in bytes.
inline constexpr size_t kTagSortKeyWidth = 256;

// The key of one cell text.
std::string TagCellSortKey(std::string_view text, bool rightAligned);

// The new order (order[newRow] = oldRow, as Catalogue::Reorder takes it) of
// the entries sorted by value column `column` (>= 1) of tag kind `kind`.
std::vector<int> TagSortOrder(const std::vector<MediaFileEntry>& entries, TagKind kind, int column,
                              bool descending);

// The sort code of a tag-table column: 2 * column - 2, plus 1 for descending.
constexpr int TagSortCode(int column, bool descending) {
  return column * 2 - 2 + (descending ? 1 : 0);
}

}  // namespace hozanki
