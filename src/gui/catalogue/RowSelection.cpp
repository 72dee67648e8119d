#include "gui/catalogue/RowSelection.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <algorithm>

namespace hozanki {

QItemSelection RowRanges(const QAbstractItemModel* model, std::span<const int> rows) {
  QItemSelection selection;
  const int rowCount = model->rowCount();
  const int last = model->columnCount() - 1;
  if (last < 0) return selection;
  std::vector<int> sorted;
  sorted.reserve(rows.size());
  for (int row : rows)
    if (row >= 0 && row < rowCount) sorted.push_back(row);
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  for (size_t i = 0; i < sorted.size();) {
    size_t j = i + 1;
    while (j < sorted.size() && sorted[j] == sorted[j - 1] + 1) ++j;
    selection.append(QItemSelectionRange(model->index(sorted[i], 0), model->index(sorted[j - 1], last)));
    i = j;
  }
  return selection;
}

std::vector<int> SelectedRowList(const QItemSelectionModel* selection) {
  std::vector<int> rows;
  const QAbstractItemModel* model = selection->model();
  if (!model) return rows;
  const int last = model->columnCount() - 1;
  for (const QItemSelectionRange& range : selection->selection()) {
    if (range.parent().isValid()) continue;
    const bool wholeRows = range.left() == 0 && range.right() == last;
    for (int row = range.top(); row <= range.bottom(); ++row)
      // A range over part of the columns: the row counts when other ranges
      // cover the rest (rare; asked of the selection model).
      if (wholeRows || selection->isRowSelected(row, {})) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

std::vector<int> SelectedRowList(const QAbstractItemView* view) {
  return SelectedRowList(view->selectionModel());
}

}  // namespace hozanki
