#pragma once
// Columns of the eight file lists and the eleven tag tables: caption (with the
// blank that holds the sort mark: after the text of a left-aligned caption,
// before the text of a right-aligned one), alignment and editing kind.

#include <span>
#include <string_view>

#include "core/catalogue/MediaFormat.h"

namespace hozanki {

enum class ColumnAlignment { Left, Right, Center };

// Editing kind of a column (`Tag`): n > 0 single line of at most n bytes
// (code page 932 width), 0 free single line, or one of these.
inline constexpr int kColumnFreeText = 0;
inline constexpr int kColumnGenre = -1;
inline constexpr int kColumnMemo = -2;
inline constexpr int kColumnNumberPair = -3;

struct ColumnSpec {
  std::string_view caption;
  ColumnAlignment alignment;
  int tag;  // editing kind; 0 for file-list columns
};

// Fixed widths of column 0 (the mark column), never stored in the settings.
inline constexpr int kFileMarkColumnWidth = 19;
inline constexpr int kTagMarkColumnWidth = 35;

// Every column of a file list, column 0 included (FileCellCount + 1 columns).
std::span<const ColumnSpec> FileListColumns(MediaFormat format);
// Every column of a tag table, column 0 included (value count + 2 columns).
std::span<const ColumnSpec> TagTableColumns(TagKind kind);

// Character index of the sort-mark blank in a caption, or -1 when the column
// carries no mark (centred columns, file-list columns above 4, column 0).
int SortMarkPosition(const ColumnSpec& column);

}  // namespace hozanki
