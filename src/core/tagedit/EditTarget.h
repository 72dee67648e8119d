#pragma once
// The column that editing commands work on: a column of a tag table, or in
// rename mode the file-name column of a file list; and the rows they take.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/common/FormatRegistry.h"

namespace hozanki {

struct EditTarget {
  MediaFormat format = MediaFormat::MP3;
  std::optional<TagKind> kind;  // empty: the file list's name column
  // Tag table: the edit column - 1 (0 the relative name, 1.. the values).
  // File list: always 0, the name.
  int subItem = 0;

  static EditTarget FileNames(MediaFormat format) { return {format, std::nullopt, 0}; }
  static EditTarget TagColumn(TagKind kind, int subItem) { return {FormatOfTagKind(kind), kind, subItem}; }

  bool IsFileList() const { return !kind.has_value(); }
  // A value cell of a tag table (what set-all, paste and clear may change).
  bool IsValueColumn() const;
  // The column exists.
  bool IsValid() const;
  // Editing kind of the column (`Tag`); 0 for names.
  int ColumnTag() const;
  // Length limit in code page 932 width; 0 when the column has none.
  size_t Limit() const;
};

// The target's cell of an entry (empty when out of range).
const std::string& TargetCell(const MediaFileEntry& entry, const EditTarget& target);
std::string CellText(const Catalogue& catalogue, const EditTarget& target, int row);

// A row is open to editing unless it carries the error mark or (tag tables)
// its check state is 2 (unavailable).
bool IsRowOpenToEditing(const MediaFileEntry& entry, const EditTarget& target);

// The rows a command takes: `selected` in list order (sorted, duplicates and
// rows outside the table dropped), or every row when `selected` is empty.
std::vector<int> SelectedOrAllRows(const Catalogue& catalogue, MediaFormat format,
                                   std::span<const int> selected);
// As SelectedOrAllRows, leaving out the rows closed to editing.
std::vector<int> RowsOpenToEditing(const Catalogue& catalogue, const EditTarget& target,
                                   std::span<const int> selected);

}  // namespace hozanki
