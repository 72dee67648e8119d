// TFormListMain: the リストアップ page. Picking the main window's selected
// files, omitting and clearing them, mirroring the selection of one list
// into the other at the idle moment, and moving picked files by dragging.

#include <QApplication>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

#include "core/listout/TemplateRowEdit.h"
#include "gui/listout/FormListMain.h"
#include "gui/listout/PickedFileModel.h"
#include "gui/listout/PickedFileView.h"
#include "gui/listout/TemplateRowEditor.h"

namespace hozanki {
namespace {

// The whole rows `rows` (ascending) of `model`, as few ranges as possible.
QItemSelection RowSelection(const QAbstractItemModel* model, const std::vector<int>& rows) {
  QItemSelection selection;
  const int last = model->columnCount() - 1;
  for (size_t i = 0; i < rows.size();) {
    size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
    selection.append(QItemSelectionRange(model->index(rows[i], 0), model->index(rows[j], last)));
    i = j + 1;
  }
  return selection;
}

}  // namespace

void TFormListMain::MenuListSelectClick() {
  if (!host_.selectedFiles) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ListViewF->setUpdatesEnabled(false);
  ListViewT->setUpdatesEnabled(false);
  picked_->Append(host_.selectedFiles());
  picked_->UpdateListTotals();
  ListViewF->setUpdatesEnabled(true);
  ListViewT->setUpdatesEnabled(true);
  QApplication::restoreOverrideCursor();
}

void TFormListMain::MenuListOmitClick() {
  const std::vector<int> rows = ListViewF->SelectedRows();
  if (rows.empty()) return;
  syncState_ = kSyncBusy;
  picked_->Remove(rows);
  syncState_ = kSyncNone;
  picked_->UpdateListTotals();
}

void TFormListMain::MenuListClearClick() {
  switch (PageControl->currentIndex()) {
    case kListupPage:
      syncState_ = kSyncBusy;
      picked_->Clear();
      syncState_ = kSyncNone;
      break;
    case kListFormPage:
      ListView->SetRows({});
      break;
    default:
      RichEditPreview->clear();
      break;
  }
}

void TFormListMain::SelectionChanged(SyncState list) {
  if (syncState_ != kSyncNone) return;
  syncState_ = list;
  QTimer::singleShot(0, this, &TFormListMain::SyncSelection);
}

void TFormListMain::SyncSelection() {
  if (syncState_ != kSyncFileList && syncState_ != kSyncTagList) return;
  const bool fromFiles = syncState_ == kSyncFileList;
  PickedFileView* changed = fromFiles ? ListViewF : ListViewT;
  PickedFileView* other = fromFiles ? ListViewT : ListViewF;
  const std::vector<int> rows = changed->SelectedRows();
  other->selectionModel()->select(RowSelection(other->model(), rows), QItemSelectionModel::ClearAndSelect);
  const int focused = changed->currentIndex().row();
  if (!fromFiles && focused >= 0 && std::binary_search(rows.begin(), rows.end(), focused))
    other->selectionModel()->setCurrentIndex(other->model()->index(focused, 1),
                                             QItemSelectionModel::NoUpdate);
  if (focused >= 0) other->scrollTo(other->model()->index(focused, 1));
  syncState_ = kSyncNone;
}

void TFormListMain::MovePicked(PickedFileView* source, int dropRow, int startRow) {
  if (source != ListViewF && source != ListViewT) return;
  SyncSelection();
  const std::vector<int> selected = source->SelectedRows();
  const std::vector<int> order = MoveOrder(picked_->Count(), selected, dropRow, dropRow < startRow);
  if (order.empty()) return;
  const int focused = source->currentIndex().row();
  syncState_ = kSyncBusy;
  picked_->Reorder(order);
  // The moved rows stay selected, in both lists, and the focus stays put.
  std::vector<int> now;
  int focusNow = -1;
  for (int i = 0; i < static_cast<int>(order.size()); ++i) {
    if (std::binary_search(selected.begin(), selected.end(), order[static_cast<size_t>(i)])) now.push_back(i);
    if (order[static_cast<size_t>(i)] == focused) focusNow = i;
  }
  for (PickedFileView* view : {ListViewF, ListViewT}) {
    view->selectionModel()->select(RowSelection(view->model(), now), QItemSelectionModel::ClearAndSelect);
    if (focusNow >= 0)
      view->selectionModel()->setCurrentIndex(view->model()->index(focusNow, 1),
                                              QItemSelectionModel::NoUpdate);
  }
  syncState_ = kSyncNone;
  picked_->UpdateListTotals();
}

}  // namespace hozanki
