// TFormMain: the window by keyboard alone. Enter on a folder opens it
// (Shift+Enter recursively, as Shift with the double click); Ctrl+Tab /
// Ctrl+Shift+Tab and Ctrl+PgDn / Ctrl+PgUp switch the tag pages, Alt with
// the same keys the file pages; Tab walks drive box → folder tree → file
// list → tag table; a list that gets the focus with nothing selected selects
// its focused row (row 0 when none), so Space and Enter work at once;
// a click selects its own row.

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>

#include "gui/app/FormMain.h"

namespace hozanki {
namespace {

void Step(QTabWidget* pages, int step) {
  const int count = pages->count();
  if (count > 0) pages->setCurrentIndex((pages->currentIndex() + step + count) % count);
}

}  // namespace

void TFormMain::SetUpKeyboard() {
  DirectoryTreeView->installEventFilter(this);
  std::vector<QTableView*> lists(listViewF_.begin(), listViewF_.end());
  lists.insert(lists.end(), listViewT_.begin(), listViewT_.end());
  for (QTableView* view : lists) {
    // Tab leaves the list instead of walking its cells.
    view->setTabKeyNavigation(false);
    view->installEventFilter(this);
  }
  // Only the shown page of each tab widget takes part in the chain.
  QWidget* previous = DirectoryTreeView;
  setTabOrder(DriveComboBox, DirectoryTreeView);
  for (QTableView* view : lists) {
    setTabOrder(previous, view);
    previous = view;
  }

  struct PageKey {
    QKeySequence keys;
    QTabWidget* pages;
    int step;
  };
  const PageKey keys[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), PageControlT, 1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), PageControlT, -1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), PageControlT, -1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageDown), PageControlT, 1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageUp), PageControlT, -1},
      {QKeySequence(Qt::ALT | Qt::Key_Tab), PageControlF, 1},
      {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Backtab), PageControlF, -1},
      {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Tab), PageControlF, -1},
      {QKeySequence(Qt::ALT | Qt::Key_PageDown), PageControlF, 1},
      {QKeySequence(Qt::ALT | Qt::Key_PageUp), PageControlF, -1},
  };
  for (const PageKey& key : keys) {
    auto* shortcut = new QShortcut(key.keys, this);
    QTabWidget* pages = key.pages;
    const int step = key.step;
    // Not while a worker runs (the pages are locked then).
    connect(shortcut, &QShortcut::activated, this, [this, pages, step] {
      if (!IsBusy() && pages->isEnabled()) Step(pages, step);
    });
  }
}

bool TFormMain::KeyboardEvent(QObject* watched, QEvent* event) {
  if (watched == DirectoryTreeView && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      DirectoryTreeViewDblClick(DirectoryTreeView->currentIndex(), key->modifiers() & Qt::ShiftModifier);
      return true;
    }
    return false;
  }
  // A click selects its own row; only keys and the program's own focus moves
  // select the focused one.
  if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
    auto* view = qobject_cast<QTableView*>(watched);
    if (!view || !view->model() || view->model()->rowCount() == 0) return false;
    QItemSelectionModel* selection = view->selectionModel();
    if (selection->hasSelection()) return false;
    QModelIndex current = selection->currentIndex();
    if (!current.isValid()) current = view->model()->index(0, 0);
    selection->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(current);
  }
  return false;
}

}  // namespace hozanki
