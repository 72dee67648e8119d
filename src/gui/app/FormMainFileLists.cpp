// TFormMain: the file lists' handlers: `cmnListViewFColumnClick` (Shift:
// sorting with the "+"/"-" marks; the file-name header: the mode), the press
// on an armed row (`cmnListViewFMouseDown`), the read-only copy box
// `EditListViewCopy`, Esc and Enter, and the files a drag takes out.

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <algorithm>
#include <set>

#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/SortKeys.h"
#include "core/settings/AppSettings.h"
#include "gui/app/FormMain.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/tagedit/EditColumnDelegate.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"

namespace hozanki {

namespace fs = std::filesystem;

void TFormMain::SetUpFileList(int page) {
  FileListView* view = listViewF_[static_cast<size_t>(page)];
  // In rename mode the file-name column is the edit column.
  view->setItemDelegateForColumn(
      1, new EditColumnDelegate([this](int column) { return column == 1 && IsRenameMode(); }, view));
  view->SetPathsProvider([this, page] { return SelectedFullPaths(page); });
  connect(view, &FileListView::ColumnClicked, this,
          [this, page](int column, Qt::KeyboardModifiers modifiers) {
            cmnListViewFColumnClick(page, column, modifiers & Qt::ShiftModifier);
          });
  connect(view, &FileListView::ArmedPress, this,
          [this, page](int row, int column) { ArmedPress(page, row, column); });
  connect(view, &FileListView::EscapePressed, this, [this, page] { FileListEscape(page); });
  connect(view, &FileListView::EnterPressed, this, [this, page, view](int row) {
    // In rename mode Enter opens the file-name editor on the focused row.
    if (!IsRenameMode()) return;
    view->SetTag(row);
    ArmedPress(page, row, 1);
  });
}

std::vector<fs::path> TFormMain::SelectedFullPaths(int page) const {
  std::vector<int> rows;
  for (const QModelIndex& index : listViewF_[static_cast<size_t>(page)]->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  const std::vector<MediaFileEntry>& entries = catalogue_.Entries(static_cast<MediaFormat>(page));
  std::vector<fs::path> paths;
  for (int row : rows)
    if (row < static_cast<int>(entries.size()))
      paths.push_back((currentFolder_ / entries[static_cast<size_t>(row)].relativePath).lexically_normal());
  return paths;
}

void TFormMain::cmnListViewFColumnClick(int page, int column, bool shift) {
  EditListViewCopyExit();
  if (!shift) {
    if (column != 1) return;
    if (!IsRenameMode()) {
      SwitchMode(EditMode::Rename);
    } else if (AppSettings::Current().clmMode == 1) {
      // Under the file-name header of the list.
      QHeaderView* header = listViewF_[static_cast<size_t>(page)]->horizontalHeader();
      PopupR->popup(header->mapToGlobal(QPoint(header->sectionViewportPosition(1), header->height())));
    } else {
      SwitchMode(EditMode::Tag);
    }
    return;
  }
  if (column >= 1 && column <= 4) SortFileList(page, column);
}

void TFormMain::SortFileList(int page, int column) {
  const auto format = static_cast<MediaFormat>(page);
  FileListModel* model = fileModels_[static_cast<size_t>(page)].get();
  const bool rightAligned =
      FileListColumns(format)[static_cast<size_t>(column)].alignment == ColumnAlignment::Right;
  const bool descending = SortMarkOf(model->Caption(column).toStdString(), rightAligned) == '+';
  // Only one column of all lists carries the mark.
  if (sortedModel_ && (sortedModel_ != model || sortedColumn_ != column))
    sortedModel_->SetSortMark(sortedColumn_, QLatin1Char(' '));
  model->SetSortMark(column, QLatin1Char(descending ? '-' : '+'));
  sortedModel_ = model;
  sortedColumn_ = column;
  sortKey_ = SortKeyCode(static_cast<SortColumn>(column), descending);

  FileListView* view = listViewF_[static_cast<size_t>(page)];
  std::set<int> selected;
  for (const QModelIndex& index : view->selectionModel()->selectedRows()) selected.insert(index.row());
  const int current = view->currentIndex().row();
  const std::vector<int> order =
      SortOrder(catalogue_.Entries(format), static_cast<SortColumn>(column), descending);
  // The file list and every tag table of the format are views of these rows.
  if (!catalogue_.Reorder(format, order)) return;
  // The same files stay selected at their new places.
  QItemSelection selection;
  for (int row = 0; row < static_cast<int>(order.size()); ++row) {
    if (!selected.count(order[static_cast<size_t>(row)])) continue;
    selection.select(model->index(row, 0), model->index(row, 0));
  }
  view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  const auto moved = std::find(order.begin(), order.end(), current);
  if (current >= 0 && moved != order.end())
    view->selectionModel()->setCurrentIndex(model->index(static_cast<int>(moved - order.begin()), 0),
                                            QItemSelectionModel::NoUpdate);
}

void TFormMain::ArmedPress(int page, int row, int column) {
  FileListView* view = listViewF_[static_cast<size_t>(page)];
  if (column == 1) {
    if (!IsRenameMode()) {
      SwitchMode(EditMode::Rename);
      view->SetTag(FileListView::kIdle);
    } else {
      emit FileNameEditRequested(page, row);
    }
  } else if (column >= 2) {
    OpenCopyBox(page, row, column);
  }
}

void TFormMain::OpenCopyBox(int page, int row, int column) {
  // The shared in-place editors show, walk and close the copy box.
  EditSession session;
  session.view = listViewF_[static_cast<size_t>(page)];
  session.row = row;
  session.column = column;
  if (!session.view->model()->index(row, column).isValid()) return;
  EditListViewCopy->setProperty("hozankiTag", column);
  tables_->Editors().Open(EditorKind::Copy, std::move(session));
}

bool TFormMain::EditListViewCopyEvent(QEvent*) {
  return false;  // InPlaceEditors handles the box's keys and its exit
}

void TFormMain::EditListViewCopyExit() {
  // Before rows move or the lists are reloaded: whichever editor is open
  // stores its text into the row it is on now.
  tables_->Editors().CloseOpen();
}

void TFormMain::FileListEscape(int page) {
  // In rename mode Esc is "モード解除(&X)" of PopupR; otherwise it clears the
  // selection.
  if (IsRenameMode()) {
    SwitchMode(EditMode::Tag);
    return;
  }
  QTableView* view = listViewF_[static_cast<size_t>(page)];
  if (view->selectionModel()->hasSelection()) view->clearSelection();
}

}  // namespace hozanki
