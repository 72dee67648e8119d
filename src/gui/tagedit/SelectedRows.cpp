#include "gui/tagedit/SelectedRows.h"

#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>

namespace hozanki {

std::vector<int> SelectedRowsOf(QTableView* view, bool selectAllWhenNone) {
  std::vector<int> rows;
  for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  if (rows.empty() && selectAllWhenNone && view->model()->rowCount() > 0) view->selectAll();
  return rows;
}

}  // namespace hozanki
