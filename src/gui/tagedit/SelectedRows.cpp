#include "gui/tagedit/SelectedRows.h"

#include <QItemSelectionModel>
#include <QTableView>

#include "gui/catalogue/RowSelection.h"

namespace hozanki {

std::vector<int> SelectedRowsOf(QTableView* view, bool selectAllWhenNone) {
  std::vector<int> rows = SelectedRowList(view);
  if (rows.empty() && selectAllWhenNone && view->model()->rowCount() > 0) view->selectAll();
  return rows;
}

}  // namespace hozanki
