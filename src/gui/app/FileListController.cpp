#include "gui/app/FileListController.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <algorithm>
#include <limits>
#include <set>

#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/SortKeys.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/EditTarget.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/FileListView.h"
#include "gui/catalogue/RowSelection.h"
#include "gui/tagedit/EditColumnDelegate.h"
#include "gui/tagedit/FormProperty.h"
#include "gui/tagedit/InPlaceEditors.h"

namespace hozanki {

namespace fs = std::filesystem;

namespace {

size_t At(int i) {
  return static_cast<size_t>(i);
}

}  // namespace

FileListController::FileListController(const std::array<FileListView*, kFormatCount>& views,
                                       const std::array<FileListModel*, kFormatCount>& models,
                                       FileListHost host, QObject* parent)
    : QObject(parent), views_(views), models_(models), host_(std::move(host)) {
  if (!host_.isBusy) host_.isBusy = [] { return false; };
  if (!host_.mode) host_.mode = [] { return EditMode::Tag; };
  if (!host_.switchMode) host_.switchMode = [](EditMode) {};
  if (!host_.editors) host_.editors = [] { return static_cast<InPlaceEditors*>(nullptr); };
  if (!host_.runPendingSync) host_.runPendingSync = [] {};
  if (!host_.requestSync) host_.requestSync = [] {};
  for (int page = 0; page < kFormatCount; ++page) SetUp(page);
  connect(this, &FileListController::FileNameEditRequested, this, [this](int page, int row) {
    if (IsRenameMode() && !host_.isBusy()) OpenFileNameEditor(page, row);
  });
}

void FileListController::SetUp(int page) {
  FileListView* view = views_[At(page)];
  // In rename mode the file-name column is the edit column.
  view->setItemDelegateForColumn(
      1, new EditColumnDelegate([this](int column) { return column == 1 && IsRenameMode(); }, view));
  view->SetPathsProvider([this, page] { return SelectedFullPaths(page); });
  connect(view, &FileListView::ColumnClicked, this,
          [this, page](int column, Qt::KeyboardModifiers modifiers) {
            ColumnClick(page, column, modifiers & Qt::ShiftModifier);
          });
  connect(view, &FileListView::ArmedPress, this,
          [this, page](int row, int column) { ArmedPress(page, row, column); });
  connect(view, &FileListView::EscapePressed, this, [this, page] { Escape(page); });
  connect(view, &FileListView::EnterPressed, this, [this, page, view](int row) {
    // In rename mode Enter opens the file-name editor on the focused row.
    if (!IsRenameMode()) return;
    view->SetTag(row);
    ArmedPress(page, row, 1);
  });
}

void FileListController::CloseEditors() {
  // Before rows move or the lists are reloaded: whichever editor is open
  // stores its text into the row it is on now.
  if (InPlaceEditors* editors = host_.editors()) editors->CloseOpen();
}

std::vector<fs::path> FileListController::SelectedFullPaths(int page) const {
  const std::vector<int> rows = SelectedRowList(views_[At(page)]);
  const std::vector<MediaFileEntry>& entries = host_.catalogue->Entries(static_cast<MediaFormat>(page));
  const fs::path folder = host_.currentFolder ? host_.currentFolder() : fs::path();
  std::vector<fs::path> paths;
  for (int row : rows)
    if (row < static_cast<int>(entries.size()))
      paths.push_back((folder / entries[At(row)].relativePath).lexically_normal());
  return paths;
}

void FileListController::ColumnClick(int page, int column, bool shift) {
  CloseEditors();
  if (!shift) {
    if (column != 1) return;
    if (!IsRenameMode()) {
      host_.switchMode(EditMode::Rename);
    } else if (AppSettings::Current().clmMode == 1) {
      // Under the file-name header of the list.
      QHeaderView* header = views_[At(page)]->horizontalHeader();
      if (host_.popupRenameMenu)
        host_.popupRenameMenu(
            header->mapToGlobal(QPoint(header->sectionViewportPosition(1), header->height())));
    } else {
      host_.switchMode(EditMode::Tag);
    }
    return;
  }
  if (column >= 1 && column <= 4) Sort(page, column);
}

void FileListController::MoveSortMark(CatalogueTableModel* model, int column, bool descending, int key) {
  // Only one column of all lists carries the mark.
  if (sortedModel_ && (sortedModel_ != model || sortedColumn_ != column))
    sortedModel_->SetSortMark(sortedColumn_, QLatin1Char(' '));
  model->SetSortMark(column, QLatin1Char(descending ? '-' : '+'));
  sortedModel_ = model;
  sortedColumn_ = column;
  sortKey_ = key;
}

void FileListController::ForgetSortMark() {
  sortedModel_ = nullptr;
  sortedColumn_ = sortKey_ = -1;
}

void FileListController::Sort(int page, int column) {
  const auto format = static_cast<MediaFormat>(page);
  FileListModel* model = models_[At(page)];
  const bool rightAligned = FileListColumns(format)[At(column)].alignment == ColumnAlignment::Right;
  const bool descending = SortMarkOf(model->Caption(column).toStdString(), rightAligned) == '+';
  MoveSortMark(model, column, descending, SortKeyCode(static_cast<SortColumn>(column), descending));

  FileListView* view = views_[At(page)];
  const std::vector<int> selected = SelectedRowList(view->selectionModel());
  const int current = view->currentIndex().row();
  Catalogue& catalogue = *host_.catalogue;
  const std::vector<int> order =
      SortOrder(catalogue.Entries(format), static_cast<SortColumn>(column), descending);
  // The file list and every tag table of the format are views of these rows.
  if (!catalogue.Reorder(format, order)) return;
  // The same files stay selected at their new places.
  std::vector<int> kept;
  kept.reserve(selected.size());
  for (int row = 0; row < static_cast<int>(order.size()); ++row)
    if (std::binary_search(selected.begin(), selected.end(), order[At(row)])) kept.push_back(row);
  view->selectionModel()->select(RowRanges(model, kept),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  const auto moved = std::find(order.begin(), order.end(), current);
  if (current >= 0 && moved != order.end())
    view->selectionModel()->setCurrentIndex(model->index(static_cast<int>(moved - order.begin()), 0),
                                            QItemSelectionModel::NoUpdate);
}

void FileListController::ArmedPress(int page, int row, int column) {
  FileListView* view = views_[At(page)];
  if (column == 1) {
    if (!IsRenameMode()) {
      host_.switchMode(EditMode::Rename);
      view->SetTag(FileListView::kIdle);
    } else {
      emit FileNameEditRequested(page, row);
    }
  } else if (column >= 2) {
    OpenCopyBox(page, row, column);
  }
}

void FileListController::OpenCopyBox(int page, int row, int column) {
  InPlaceEditors* editors = host_.editors();
  if (!editors) return;
  // The shared in-place editors show, walk and close the copy box.
  EditSession session;
  session.view = views_[At(page)];
  session.row = row;
  session.column = column;
  if (!session.view->model()->index(row, column).isValid()) return;
  editors->Open(EditorKind::Copy, std::move(session));
}

void FileListController::Escape(int page) {
  // In rename mode Esc is "モード解除(&X)" of PopupR; otherwise it clears the
  // selection.
  if (IsRenameMode()) {
    host_.switchMode(EditMode::Tag);
    return;
  }
  QTableView* view = views_[At(page)];
  if (view->selectionModel()->hasSelection()) view->clearSelection();
}

void FileListController::OpenFileNameEditor(int page, int row) {
  InPlaceEditors* editors = host_.editors();
  if (!editors) return;
  const auto format = static_cast<MediaFormat>(page);
  const EditTarget target = EditTarget::FileNames(format);
  Catalogue* catalogue = host_.catalogue;
  if (row < 0 || row >= catalogue->RowCount(format)) return;
  if (!IsRowOpenToEditing(catalogue->Entries(format)[At(row)], target)) return;
  EditSession session;
  session.view = views_[At(page)];
  session.row = row;
  session.column = 1;
  session.store = [catalogue, target](int r, const QString& text) {
    return CommitCellEdit(*catalogue, target, r, text.toStdString());
  };
  session.rowOpen = [catalogue, target](int r) {
    const auto& rows = catalogue->Entries(target.format);
    return r >= 0 && r < static_cast<int>(rows.size()) && IsRowOpenToEditing(rows[At(r)], target);
  };
  // No length limit for names.
  if (host_.nameEditor) host_.nameEditor->setMaxLength(std::numeric_limits<int>::max());
  editors->Open(EditorKind::Edit, std::move(session), 0);
}

void FileListController::ExcludeClick() {
  if (host_.isBusy()) return;
  CloseEditors();
  host_.runPendingSync();
  const int page = host_.filePage();
  QTableView* list = views_[At(page)];
  const std::vector<int> rows = SelectedRowList(list);
  if (rows.empty()) return;
  QWidget* window = host_.window;
  QMessageBox box(QMessageBox::Question, window ? window->windowTitle() : QString(),
                  QStringLiteral("編集対象から除外しますか？"), QMessageBox::Yes | QMessageBox::No, window);
  box.setObjectName(QStringLiteral("ExcludeConfirmation"));
  box.setDefaultButton(QMessageBox::No);
  if (window) {
    const QPoint centre = window->frameGeometry().center();
    box.move(centre.x() - 120, centre.y() - 60);
  }
  if (box.exec() != QMessageBox::Yes) return;
  const int current = list->currentIndex().row();
  host_.catalogue->Remove(static_cast<MediaFormat>(page), rows);
  // Scattered rows go as a reset, which loses the focused row: it stays on
  // its file when that is still listed.
  if (!list->currentIndex().isValid() && current >= 0 &&
      !std::binary_search(rows.begin(), rows.end(), current)) {
    const auto below = std::lower_bound(rows.begin(), rows.end(), current) - rows.begin();
    list->selectionModel()->setCurrentIndex(list->model()->index(current - static_cast<int>(below), 0),
                                            QItemSelectionModel::NoUpdate);
  }
  list->clearSelection();
  host_.requestSync();
}

void FileListController::PropertyClick() {
  CloseEditors();
  host_.runPendingSync();
  const int page = host_.filePage();
  const auto format = static_cast<MediaFormat>(page);
  const int row = views_[At(page)]->selectionModel()->currentIndex().row();
  if (row < 0 || row >= host_.catalogue->RowCount(format)) return;
  const MediaFileEntry& entry = host_.catalogue->Entries(format)[At(row)];
  const int tagRow = TagRowIndex(static_cast<TagKind>(host_.tagPage()));
  FormProperty dialog(host_.currentFolder() / entry.relativePath, format, tagRow, host_.window);
  dialog.exec();
}

}  // namespace hozanki
