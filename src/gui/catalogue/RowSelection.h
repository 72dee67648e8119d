#pragma once
// Row selections of the lists as ranges: a list of rows becomes one
// selection range per run of consecutive rows, and a selection is read back
// range by range. Selections built one range per row make every later
// selection change and every "which rows are selected" grow with the square
// of the rows.

#include <QItemSelection>
#include <span>
#include <vector>

class QAbstractItemModel;
class QAbstractItemView;
class QItemSelectionModel;

namespace hozanki {

// Whole-row ranges (every column) over `rows` (any order; duplicates and rows
// outside the model are ignored), one per run of consecutive rows.
QItemSelection RowRanges(const QAbstractItemModel* model, std::span<const int> rows);

// The fully selected rows (as QItemSelectionModel::selectedRows sees them),
// sorted.
std::vector<int> SelectedRowList(const QItemSelectionModel* selection);
// The same for a view's selection.
std::vector<int> SelectedRowList(const QAbstractItemView* view);

}  // namespace hozanki
