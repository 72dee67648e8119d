#pragma once
// Custom item-data roles of the file-list and tag-table models.

#include <Qt>

namespace hozanki {

enum CatalogueRole {
  // Tag rows, any column: check state 0 unchecked, 1 checked, 2 unavailable.
  CheckStateRole = Qt::UserRole + 1,
  // Tag cells: the changed flag (0 or 1) beside the cell's text.
  ChangedFlagRole,
  // Any column: the row image, -1 none, 3 changed mark, 4 error mark.
  RowImageRole,
  // Header data: the column's editing kind (`Tag`: n > 0 byte limit, 0 free,
  // -1 genre, -2 multi-line, -3 number pair).
  ColumnTagRole,
  // File lists, playing-time column: the playing time in seconds.
  SecondsRole,
};

}  // namespace hozanki
