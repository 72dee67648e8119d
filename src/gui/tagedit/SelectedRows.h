#pragma once
// The selected rows of a list view, as the editing commands take them.

#include <vector>

class QTableView;

namespace hozanki {

// The selected rows of `view`, sorted. With `selectAllWhenNone`, no selected
// row means every row, and the view is made to show it so (the returned list
// stays empty: the core reads it as "all rows").
std::vector<int> SelectedRowsOf(QTableView* view, bool selectAllWhenNone);

}  // namespace hozanki
