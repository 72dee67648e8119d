#pragma once
// Columns of the eight file lists and the eleven tag tables: caption (with the
// blank that holds the sort mark: after the text of a left-aligned caption,
// before the text of a right-aligned one), alignment and editing kind.

#include <span>
#include <string_view>

#include "core/common/FormatRegistry.h"

namespace hozanki {

// ColumnAlignment, ColumnSpec and the editing kinds are the format registry's.

// Fixed widths of column 0 (the mark column), never stored in the settings.
inline constexpr int kFileMarkColumnWidth = 19;
inline constexpr int kTagMarkColumnWidth = 35;

// Every column of a file list, column 0 included (FileCellCount + 1 columns).
inline std::span<const ColumnSpec> FileListColumns(MediaFormat format) {
  return Describe(format).fileColumns;
}
// Every column of a tag table, column 0 included (value count + 2 columns).
inline std::span<const ColumnSpec> TagTableColumns(TagKind kind) { return Describe(kind).columns; }

// Character index of the sort-mark blank in a caption, or -1 when the column
// carries no mark (centred columns, file-list columns above 4, column 0).
int SortMarkPosition(const ColumnSpec& column);

}  // namespace hozanki
