// TFormMain: the window by keyboard alone (Enter on a folder is
// `FolderPanel`'s), and the window's event filter. Ctrl+Tab /
// Ctrl+Shift+Tab and Ctrl+PgDn / Ctrl+PgUp switch the tag pages, Alt with
// the same keys the file pages; Tab walks drive box → folder tree → file
// list → tag table; a list that gets the focus with nothing selected selects
// its focused row (row 0 when none), so Space and Enter work at once;
// a click selects its own row.

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
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
  std::vector<QTableView*> lists(ui_.listViewF.begin(), ui_.listViewF.end());
  lists.insert(lists.end(), ui_.listViewT.begin(), ui_.listViewT.end());
  for (QTableView* view : lists) {
    // Tab leaves the list instead of walking its cells.
    view->setTabKeyNavigation(false);
    view->installEventFilter(this);
  }
  // Only the shown page of each tab widget takes part in the chain.
  QWidget* previous = ui_.DirectoryTreeView;
  setTabOrder(ui_.DriveComboBox, ui_.DirectoryTreeView);
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
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), ui_.PageControlT, 1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), ui_.PageControlT, -1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), ui_.PageControlT, -1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageDown), ui_.PageControlT, 1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageUp), ui_.PageControlT, -1},
      {QKeySequence(Qt::ALT | Qt::Key_Tab), ui_.PageControlF, 1},
      {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Backtab), ui_.PageControlF, -1},
      {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Tab), ui_.PageControlF, -1},
      {QKeySequence(Qt::ALT | Qt::Key_PageDown), ui_.PageControlF, 1},
      {QKeySequence(Qt::ALT | Qt::Key_PageUp), ui_.PageControlF, -1},
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

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  // The in-place editors handle the copy box's keys and its exit.
  if (watched == ui_.EditListViewCopy) return false;
  if (KeyboardEvent(watched, event)) return true;
  return QMainWindow::eventFilter(watched, event);
}

bool TFormMain::KeyboardEvent(QObject* watched, QEvent* event) {
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
