#include "gui/tagedit/TagTableController.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>

#include "core/catalogue/ColumnTables.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/CheckStates.h"
#include "core/tagedit/EditTarget.h"
#include "core/tagedit/SetAll.h"
#include "core/tagedit/SetCellValue.h"
#include "core/tagedit/TagSort.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/CatalogueRoles.h"
#include "gui/catalogue/ImageListCheckBox.h"
#include "gui/tagedit/EditColumnDelegate.h"
#include "gui/tagedit/FormProperty.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableModel.h"

namespace hozanki {
namespace {

size_t At(int i) {
  return static_cast<size_t>(i);
}

QAction* FindAction(QObject& window, const char* name) {
  return window.findChild<QAction*>(QLatin1String(name));
}

std::vector<int> SelectedRows(const QTableView* view) {
  std::vector<int> rows;
  for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace

TagTableController::TagTableController(TFormMain& window) : QObject(&window), w_(window) {
  InPlaceEditors::Widgets widgets{w_.EditListView, w_.EditListViewCopy, w_.ComboBoxListView, w_.MemoListView};
  editors_ = new InPlaceEditors(
      widgets, &w_,
      {FindAction(w_, "MenuEditCopy"), FindAction(w_, "MenuEditPaste"), FindAction(w_, "MenuEditUndo")},
      this);
  editors_->copyReturnFocus = [this] { return static_cast<QWidget*>(w_.ActiveFileList()); };
  editors_->copyClosed = [this] {
    InPlaceEditors::SetArmedRow(w_.ActiveFileList(), -1);
    InPlaceEditors::SetArmedRow(w_.ActiveTagTable(), -1);
  };
  loadedFolder = [this] { return w_.CurrentFolder(); };

  for (int k = 0; k < kTagKindCount; ++k) {
    QTableView* view = w_.listViewT_[At(k)];
    view->setItemDelegate(new EditColumnDelegate(
        [this, k](int column) {
          return column >= 1 && !w_.IsRenameMode() && column == w_.editColumn_[At(k)];
        },
        view));
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    view->horizontalHeader()->setSectionsClickable(true);
    connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this, [this, k](int column) {
      ColumnClick(k, column, QGuiApplication::keyboardModifiers() & Qt::ShiftModifier);
    });
  }
  // Closing an open editor from outside.
  for (const char* name : {"MenuFile", "MenuEdit", "MenuOption", "MenuHelp"})
    if (auto* menu = w_.findChild<QMenu*>(QLatin1String(name)))
      connect(menu, &QMenu::aboutToShow, this, [this] { editors_->CloseOpen(); });
  w_.PageControlT->tabBar()->installEventFilter(this);
  w_.PageControlF->tabBar()->installEventFilter(this);

  connect(w_.PopupT, &QMenu::aboutToShow, this, &TagTableController::PopupTPopup);
  if (QAction* modeOff = FindAction(w_, "PopupTMode")) {
    modeOff->setEnabled(true);
    connect(modeOff, &QAction::triggered, this, [this] { ModeOff(w_.PageControlT->currentIndex()); });
  }
  for (const char* name : {"PopupFDelete", "PopupTDelete", "PopupRDelete"})
    if (QAction* item = FindAction(w_, name)) {
      item->setEnabled(true);
      connect(item, &QAction::triggered, this, &TagTableController::ExcludeClick);
    }
  // Shift+Del anywhere in the window (the popups' own shortcuts are only shown).
  auto* exclude = new QAction(&w_);
  exclude->setObjectName(QStringLiteral("ExcludeShortcut"));
  exclude->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  exclude->setShortcutContext(Qt::WindowShortcut);
  w_.addAction(exclude);
  connect(exclude, &QAction::triggered, this, &TagTableController::ExcludeClick);
  if (QAction* property = FindAction(w_, "PopupFProperty")) {
    property->setEnabled(true);
    connect(property, &QAction::triggered, this, &TagTableController::PropertyClick);
  }
}

int TagTableController::PageOf(const QObject* watched) const {
  for (int k = 0; k < kTagKindCount; ++k) {
    const QTableView* view = w_.listViewT_[At(k)];
    if (watched == view || watched == view->viewport()) return k;
  }
  return -1;
}

void TagTableController::ColumnClick(int page, int column, bool shift) {
  editors_->CloseOpen();
  const auto kind = static_cast<TagKind>(page);
  QTableView* view = w_.listViewT_[At(page)];
  // 1. The check column.
  if (column == 0) {
    ToggleAllCheckStates(w_.catalogue_, kind);
    return;
  }
  // 2. Outside the columns, or an empty table.
  if (column < 1 || column >= view->model()->columnCount() || view->model()->rowCount() == 0) return;
  // 3. Shift: sort.
  if (shift) {
    Sort(page, column);
    return;
  }
  // 4. Rename mode: this column becomes the edit column, back to tag edit mode.
  if (w_.IsRenameMode()) {
    SetEditColumn(page, column);
    w_.SwitchMode(w_.MenuFileModeT);
    return;
  }
  // 5. The edit column again.
  if (column == w_.editColumn_[At(page)]) {
    if (AppSettings::Current().clmMode == 0) {
      ModeOff(page);
    } else {
      QHeaderView* header = view->horizontalHeader();
      const QPoint at(header->sectionViewportPosition(column), header->height());
      w_.PopupT->popup(header->viewport()->mapToGlobal(at));
    }
    return;
  }
  // 6. Another column becomes the edit column.
  SetEditColumn(page, column);
}

void TagTableController::SetEditColumn(int page, int column) {
  QTableView* view = w_.listViewT_[At(page)];
  w_.editColumn_[At(page)] = column;
  w_.SetPopup(view, w_.PopupT);
  view->viewport()->update();
}

void TagTableController::ModeOff(int page) {
  editors_->CloseOpen();
  QTableView* view = w_.listViewT_[At(page)];
  w_.editColumn_[At(page)] = -1;
  w_.SetPopup(view, w_.PopupF);
  view->viewport()->update();
}

void TagTableController::Sort(int page, int column) {
  const auto kind = static_cast<TagKind>(page);
  TagTableModel* model = w_.tagModels_[At(page)];
  const ColumnSpec& spec = TagTableColumns(kind)[At(column)];
  const int slot = SortMarkPosition(spec);
  if (slot < 0) return;
  // 1. The mark leaves the column that carries it.
  if (w_.sortedModel_ && (w_.sortedModel_ != model || w_.sortedColumn_ != column))
    w_.sortedModel_->SetSortMark(w_.sortedColumn_, ' ');
  // 2. "+" becomes "-" (descending), anything else "+".
  const bool descending = model->Caption(column).at(slot) == QLatin1Char('+');
  model->SetSortMark(column, descending ? '-' : '+');
  w_.sortedModel_ = model;
  w_.sortedColumn_ = column;
  w_.sortKey_ = TagSortCode(column, descending);
  // 3-7. One reorder of the format's rows moves the file list and every tag
  // table of the format together; the selection moves with its rows.
  const MediaFormat format = FormatOfTagKind(kind);
  QTableView* view = w_.listViewT_[At(page)];
  const std::vector<int> selected = SelectedRows(view);
  const int current = view->selectionModel()->currentIndex().row();
  const std::vector<int> order = TagSortOrder(w_.catalogue_.Entries(format), kind, column, descending);
  if (!w_.catalogue_.Reorder(format, order)) return;
  std::vector<int> newRow(order.size());
  for (size_t j = 0; j < order.size(); ++j) newRow[At(order[j])] = static_cast<int>(j);
  QItemSelection selection;
  for (int old : selected) {
    const QModelIndex index = model->index(newRow[At(old)], 0);
    selection.select(index, index);
  }
  view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (current >= 0 && current < static_cast<int>(newRow.size())) {
    const QModelIndex index = model->index(newRow[At(current)], std::max(0, view->currentIndex().column()));
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    view->scrollTo(index);
  }
}

bool TagTableController::OpenCellEditor(int page, int row, int column) {
  QTableView* view = w_.listViewT_[At(page)];
  const auto kind = static_cast<TagKind>(page);
  const MediaFormat format = FormatOfTagKind(kind);
  if (row < 0 || row >= w_.catalogue_.RowCount(format) || column < 1 ||
      column >= view->model()->columnCount())
    return false;
  if (row != InPlaceEditors::ArmedRow(view) || !view->selectionModel()->isRowSelected(row, {})) return false;
  const MediaFileEntry& entry = w_.catalogue_.Entries(format)[At(row)];
  if (entry.tags.size() <= At(TagRowIndex(kind))) return false;
  if (entry.tags[At(TagRowIndex(kind))].image == kErrorMark) return false;

  EditSession session;
  session.view = view;
  session.row = row;
  session.column = column;
  // The file-name column: the copy box with the relative name.
  if (column == 1) {
    editors_->Open(EditorKind::Copy, std::move(session));
    return true;
  }
  const EditTarget target = EditTarget::TagColumn(kind, column - 1);
  if (!IsRowOpenToEditing(entry, target)) return false;
  const int tag = target.ColumnTag();
  if (w_.IsRenameMode()) {
    // The tables are read-only in rename mode.
    editors_->Open(EditorKind::Copy, std::move(session));
    return true;
  }
  Catalogue* catalogue = &w_.catalogue_;
  session.store = [catalogue, target](int r, const QString& text) {
    return CommitCellEdit(*catalogue, target, r, text.toStdString());
  };
  session.rowOpen = [catalogue, target](int r) {
    const auto& rows = catalogue->Entries(target.format);
    return r >= 0 && r < static_cast<int>(rows.size()) && IsRowOpenToEditing(rows[At(r)], target);
  };
  if (tag == kColumnMemo) {
    editors_->Open(EditorKind::Memo, std::move(session));
  } else if (tag == kColumnGenre) {
    if (kind == TagKind::MP3ID3v1)
      session.comboRule = [](const QString& text) {
        return QString::fromStdString(Id3v1GenreValue(text.toStdString()));
      };
    editors_->Open(EditorKind::Combo, std::move(session));
  } else {
    session.id3v1Track = kind == TagKind::MP3ID3v1 && ValueNamesOf(kind)[At(column - 2)] == "TRACK_v1";
    editors_->Open(EditorKind::Edit, std::move(session), tag > 0 ? tag : 0);
  }
  return true;
}

bool TagTableController::MousePress(int page, QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return false;
  QTableView* view = w_.listViewT_[At(page)];
  const QModelIndex index = view->indexAt(event->position().toPoint());
  if (!index.isValid()) return false;  // below the last row
  const int row = index.row();
  if (index.data(RowImageRole).toInt() == kErrorMark) return false;
  // The check box: the state image at the row's left edge.
  const QRect cell = view->visualRect(index);
  const int x = event->position().toPoint().x() - cell.left();
  if (index.column() == 0 && x >= 0 && x <= ImageListCheckBox::kSize + 1) {
    ToggleCheckState(w_.catalogue_, static_cast<TagKind>(page), row);
    return true;
  }
  // The editor-opening press.
  if (InPlaceEditors::ArmedRow(view) < 0) return false;
  return OpenCellEditor(page, row, index.column());
}

bool TagTableController::KeyPress(int page, QKeyEvent* event) {
  QTableView* view = w_.listViewT_[At(page)];
  const int editColumn = w_.editColumn_[At(page)];
  const int key = event->key();
  // Ctrl+Left / Ctrl+Right: the edit column moves (from none: the first or
  // the last column), as a click on a header would choose it.
  if ((event->modifiers() & Qt::ControlModifier) && !(event->modifiers() & Qt::AltModifier) &&
      (key == Qt::Key_Left || key == Qt::Key_Right) && !w_.IsRenameMode()) {
    const int last = view->model()->columnCount() - 1;
    int column = key == Qt::Key_Right ? (editColumn < 1 ? 1 : editColumn + 1) : (editColumn < 1 ? last : editColumn - 1);
    column = std::clamp(column, 1, last);
    if (column != editColumn) {
      editors_->CloseOpen();
      SetEditColumn(page, column);
    }
    const QModelIndex current = view->currentIndex();
    if (current.isValid()) view->scrollTo(view->model()->index(current.row(), column));
    return true;
  }
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  if (key == Qt::Key_Space) {
    const std::vector<int> rows = SelectedRows(view);
    if (!rows.empty()) ToggleCheckState(w_.catalogue_, static_cast<TagKind>(page), rows.front());
    return true;
  }
  if (key == Qt::Key_Escape) {
    if (editColumn == -1)
      w_.ActiveFileList()->clearSelection();
    else
      ModeOff(page);
    return true;
  }
  if (editColumn < 1) return false;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    const int row = view->selectionModel()->currentIndex().row();
    if (row >= 0) {
      InPlaceEditors::SetArmedRow(view, row);
      if (!OpenCellEditor(page, row, editColumn)) InPlaceEditors::SetArmedRow(view, -1);
    }
    return true;
  }
  if (key == Qt::Key_Left || key == Qt::Key_Right) {
    const int column = editColumn + (key == Qt::Key_Left ? -1 : 1);
    if (column >= 1 && column < view->model()->columnCount()) {
      ColumnClick(page, column, false);
      const int row = std::max(0, view->currentIndex().row());
      if (view->model()->rowCount() > 0) view->scrollTo(view->model()->index(row, column));
    }
    return true;
  }
  return false;
}

void TagTableController::PopupTPopup() {
  const bool values = w_.editColumn_[At(w_.PageControlT->currentIndex())] != 1;
  for (const char* name :
       {"PopupTPaste", "PopupTUndo", "PopupTSetAll", "PopupTEditor", "PopupTReplace", "PopupTConvertItem",
        "PopupTRegexp", "PopupTSubstr", "PopupTMultiItem", "PopupTClear"})
    if (QAction* item = FindAction(w_, name)) item->setVisible(values);
}

void TagTableController::RunPendingSync() {
  if (w_.syncRequest_ == 1 || w_.syncRequest_ == 2) {
    w_.UnhookIdle();
    w_.RunSync(w_.syncRequest_);
  }
}

void TagTableController::ExcludeClick() {
  if (w_.IsBusy()) return;
  editors_->CloseOpen();
  RunPendingSync();
  QTableView* list = w_.ActiveFileList();
  const std::vector<int> rows = SelectedRows(list);
  if (rows.empty()) return;
  QMessageBox box(QMessageBox::Question, w_.windowTitle(), QStringLiteral("編集対象から除外しますか？"),
                  QMessageBox::Yes | QMessageBox::No, &w_);
  box.setObjectName(QStringLiteral("ExcludeConfirmation"));
  box.setDefaultButton(QMessageBox::No);
  const QPoint centre = w_.frameGeometry().center();
  box.move(centre.x() - 120, centre.y() - 60);
  if (box.exec() != QMessageBox::Yes) return;
  const auto format = static_cast<MediaFormat>(w_.PageControlF->currentIndex());
  w_.catalogue_.Remove(format, rows);
  list->clearSelection();
  w_.syncRequest_ = 1;
  w_.HookIdle();
}

void TagTableController::PropertyClick() {
  editors_->CloseOpen();
  RunPendingSync();
  const auto format = static_cast<MediaFormat>(w_.PageControlF->currentIndex());
  const int row = w_.ActiveFileList()->selectionModel()->currentIndex().row();
  if (row < 0 || row >= w_.catalogue_.RowCount(format)) return;
  const MediaFileEntry& entry = w_.catalogue_.Entries(format)[At(row)];
  const int page = w_.PageControlT->currentIndex();
  const int tagRow = TagRowIndex(static_cast<TagKind>(page));
  FormProperty dialog(loadedFolder() / entry.relativePath, format, tagRow, &w_);
  dialog.exec();
}

bool TagTableController::eventFilter(QObject* watched, QEvent* event) {
  // PageControlTChanging: an open editor is closed and the change refused once.
  if (watched == w_.PageControlT->tabBar() || watched == w_.PageControlF->tabBar()) {
    const auto type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::Wheel) && editors_->IsOpen()) {
      editors_->CloseOpen();
      return watched == w_.PageControlT->tabBar();
    }
    return false;
  }
  const int page = PageOf(watched);
  if (page < 0) return false;
  QTableView* view = w_.listViewT_[At(page)];
  switch (event->type()) {
    case QEvent::KeyPress:
      if (watched == view) return KeyPress(page, static_cast<QKeyEvent*>(event));
      break;
    case QEvent::MouseButtonPress:
      if (watched == view->viewport()) return MousePress(page, static_cast<QMouseEvent*>(event));
      break;
    case QEvent::MouseButtonDblClick: {
      if (watched != view->viewport()) break;
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) break;
      // cmnListViewDblClick arms the first selected row, then the press follows.
      const std::vector<int> rows = SelectedRows(view);
      if (rows.empty()) break;
      InPlaceEditors::SetArmedRow(view, rows.front());
      MousePress(page, mouse);
      return true;
    }
    default:
      break;
  }
  return false;
}

}  // namespace hozanki
