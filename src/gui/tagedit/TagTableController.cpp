#include "gui/tagedit/TagTableController.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
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
#include "gui/catalogue/CatalogueRoles.h"
#include "gui/catalogue/ImageListCheckBox.h"
#include "gui/catalogue/RowSelection.h"
#include "gui/tagedit/EditColumnDelegate.h"
#include "gui/tagedit/TagTableModel.h"

namespace hozanki {
namespace {

size_t At(int i) {
  return static_cast<size_t>(i);
}

QAction* FindAction(QObject* window, const char* name) {
  return window ? window->findChild<QAction*>(QLatin1String(name)) : nullptr;
}

}  // namespace

TagTableController::TagTableController(TagTableHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {
  editors_ = new InPlaceEditors(host_.editorWidgets, host_.window, host_.shortcutActions, this);
  editors_->copyReturnFocus = [this] { return static_cast<QWidget*>(host_.activeFileList()); };
  editors_->copyClosed = [this] {
    InPlaceEditors::SetArmedRow(host_.activeFileList(), -1);
    InPlaceEditors::SetArmedRow(host_.activeTagTable(), -1);
  };

  for (int k = 0; k < kTagKindCount; ++k) {
    QTableView* view = host_.views[At(k)];
    view->setItemDelegate(new EditColumnDelegate(
        [this, k](int column) { return column >= 1 && !IsRenameMode() && column == host_.editColumn(k); },
        view));
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    view->horizontalHeader()->setSectionsClickable(true);
    connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this, [this, k](int column) {
      ColumnClick(k, column, QGuiApplication::keyboardModifiers() & Qt::ShiftModifier);
    });
  }
  // Closing an open editor from outside.
  for (QMenu* menu : host_.menus)
    if (menu) connect(menu, &QMenu::aboutToShow, this, [this] { editors_->CloseOpen(); });
  for (QTabBar* tabs : {host_.tagTabs, host_.fileTabs})
    if (tabs) tabs->installEventFilter(this);
  if (host_.popupT) connect(host_.popupT, &QMenu::aboutToShow, this, &TagTableController::PopupTPopup);
}

int TagTableController::PageOf(const QObject* watched) const {
  for (int k = 0; k < kTagKindCount; ++k) {
    const QTableView* view = host_.views[At(k)];
    if (watched == view || watched == view->viewport()) return k;
  }
  return -1;
}

void TagTableController::ColumnClick(int page, int column, bool shift) {
  editors_->CloseOpen();
  const auto kind = static_cast<TagKind>(page);
  QTableView* view = host_.views[At(page)];
  // 1. The check column.
  if (column == 0) {
    ToggleAllCheckStates(*host_.catalogue, kind);
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
  if (IsRenameMode()) {
    SetEditColumn(page, column);
    host_.switchMode(EditMode::Tag);
    return;
  }
  // 5. The edit column again.
  if (column == host_.editColumn(page)) {
    if (AppSettings::Current().clmMode == 0) {
      ModeOff(page);
    } else {
      QHeaderView* header = view->horizontalHeader();
      const QPoint at(header->sectionViewportPosition(column), header->height());
      if (host_.popupT) host_.popupT->popup(header->viewport()->mapToGlobal(at));
    }
    return;
  }
  // 6. Another column becomes the edit column.
  SetEditColumn(page, column);
}

void TagTableController::SetEditColumn(int page, int column) {
  QTableView* view = host_.views[At(page)];
  host_.setEditColumn(page, column);
  view->viewport()->update();
}

void TagTableController::ModeOff(int page) {
  editors_->CloseOpen();
  QTableView* view = host_.views[At(page)];
  host_.setEditColumn(page, -1);
  view->viewport()->update();
}

void TagTableController::Sort(int page, int column) {
  const auto kind = static_cast<TagKind>(page);
  TagTableModel* model = host_.models[At(page)];
  const ColumnSpec& spec = TagTableColumns(kind)[At(column)];
  const int slot = SortMarkPosition(spec);
  if (slot < 0) return;
  // 1. The mark leaves the column that carries it; 2. "+" becomes "-"
  // (descending), anything else "+".
  const bool descending = model->Caption(column).at(slot) == QLatin1Char('+');
  host_.moveSortMark(model, column, descending, TagSortCode(column, descending));
  // 3-7. One reorder of the format's rows moves the file list and every tag
  // table of the format together; the selection moves with its rows.
  const MediaFormat format = FormatOfTagKind(kind);
  QTableView* view = host_.views[At(page)];
  const std::vector<int> selected = SelectedRowList(view);
  const int current = view->selectionModel()->currentIndex().row();
  const std::vector<int> order = TagSortOrder(host_.catalogue->Entries(format), kind, column, descending);
  if (!host_.catalogue->Reorder(format, order)) return;
  std::vector<int> newRow(order.size());
  for (size_t j = 0; j < order.size(); ++j) newRow[At(order[j])] = static_cast<int>(j);
  std::vector<int> moved;
  moved.reserve(selected.size());
  for (int old : selected) moved.push_back(newRow[At(old)]);
  view->selectionModel()->select(RowRanges(model, moved),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (current >= 0 && current < static_cast<int>(newRow.size())) {
    const QModelIndex index = model->index(newRow[At(current)], std::max(0, view->currentIndex().column()));
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    view->scrollTo(index);
  }
}

bool TagTableController::OpenCellEditor(int page, int row, int column) {
  QTableView* view = host_.views[At(page)];
  const auto kind = static_cast<TagKind>(page);
  const MediaFormat format = FormatOfTagKind(kind);
  if (row < 0 || row >= host_.catalogue->RowCount(format) || column < 1 ||
      column >= view->model()->columnCount())
    return false;
  if (row != InPlaceEditors::ArmedRow(view) || !view->selectionModel()->isRowSelected(row, {})) return false;
  const MediaFileEntry& entry = host_.catalogue->Entries(format)[At(row)];
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
  if (IsRenameMode()) {
    // The tables are read-only in rename mode.
    editors_->Open(EditorKind::Copy, std::move(session));
    return true;
  }
  Catalogue* catalogue = host_.catalogue;
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
  QTableView* view = host_.views[At(page)];
  const QModelIndex index = view->indexAt(event->position().toPoint());
  if (!index.isValid()) return false;  // below the last row
  const int row = index.row();
  if (index.data(RowImageRole).toInt() == kErrorMark) return false;
  // The check box: the state image at the row's left edge.
  const QRect cell = view->visualRect(index);
  const int x = event->position().toPoint().x() - cell.left();
  if (index.column() == 0 && x >= 0 && x <= ImageListCheckBox::kSize + 1) {
    ToggleCheckState(*host_.catalogue, static_cast<TagKind>(page), row);
    return true;
  }
  // The editor-opening press.
  if (InPlaceEditors::ArmedRow(view) < 0) return false;
  return OpenCellEditor(page, row, index.column());
}

bool TagTableController::KeyPress(int page, QKeyEvent* event) {
  QTableView* view = host_.views[At(page)];
  const int editColumn = host_.editColumn(page);
  const int key = event->key();
  // Ctrl+Left / Ctrl+Right: the edit column moves (from none: the first or
  // the last column), as a click on a header would choose it.
  if ((event->modifiers() & Qt::ControlModifier) && !(event->modifiers() & Qt::AltModifier) &&
      (key == Qt::Key_Left || key == Qt::Key_Right) && !IsRenameMode()) {
    const int last = view->model()->columnCount() - 1;
    int column = key == Qt::Key_Right ? (editColumn < 1 ? 1 : editColumn + 1)
                                      : (editColumn < 1 ? last : editColumn - 1);
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
    const std::vector<int> rows = SelectedRowList(view);
    if (!rows.empty()) ToggleCheckState(*host_.catalogue, static_cast<TagKind>(page), rows.front());
    return true;
  }
  if (key == Qt::Key_Escape) {
    if (editColumn == -1)
      host_.activeFileList()->clearSelection();
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
  const bool values = host_.editColumn(host_.tagPage()) != 1;
  for (const char* name :
       {"PopupTPaste", "PopupTUndo", "PopupTSetAll", "PopupTEditor", "PopupTReplace", "PopupTConvertItem",
        "PopupTRegexp", "PopupTSubstr", "PopupTMultiItem", "PopupTClear"})
    if (QAction* item = FindAction(host_.window, name)) item->setVisible(values);
}

bool TagTableController::eventFilter(QObject* watched, QEvent* event) {
  // PageControlTChanging: an open editor is closed and the change refused once.
  if (watched && (watched == host_.tagTabs || watched == host_.fileTabs)) {
    const auto type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::Wheel) && editors_->IsOpen()) {
      editors_->CloseOpen();
      return watched == host_.tagTabs;
    }
    return false;
  }
  const int page = PageOf(watched);
  if (page < 0) return false;
  QTableView* view = host_.views[At(page)];
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
      const std::vector<int> rows = SelectedRowList(view);
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
