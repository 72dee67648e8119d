#pragma once
// `BusyWindowLock`: the main window while a save, load or reload runs. Lock
// switches off the four menus and every item in them (so their shortcuts do
// nothing either), shows `MenuCancel` (its data 1 save, 2 load, 3 reload),
// switches off the upper panel and the tag pages, sets the busy cursor and
// shows the activity in status-bar panel 2. Unlock gives every item its
// previous state back, and the keyboard focus to the widget that had it
// before the lock (the table of a Ctrl+S), unless the user moved it meanwhile.

#include <QPointer>
#include <QString>
#include <utility>
#include <vector>

#include "gui/app/FolderSession.h"

class QAction;
class QWidget;

namespace hozanki {

struct MainWindowControls;

class BusyWindowLock {
 public:
  BusyWindowLock() = default;
  // A cursor still overridden is restored.
  ~BusyWindowLock();
  BusyWindowLock(const BusyWindowLock&) = delete;
  BusyWindowLock& operator=(const BusyWindowLock&) = delete;

  void Lock(const MainWindowControls& ui, BusyState state);
  // `modeText` goes back into status-bar panel 2.
  void Unlock(const MainWindowControls& ui, const QString& modeText);

 private:
  std::vector<std::pair<QPointer<QAction>, bool>> lockedActions_;
  bool cursorOverridden_ = false;
  // The focus before the lock and where the lock moved it.
  QPointer<QWidget> focusBefore_;
  QPointer<QWidget> focusAfterLock_;
};

}  // namespace hozanki
