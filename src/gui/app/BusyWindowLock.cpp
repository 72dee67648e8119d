#include "gui/app/BusyWindowLock.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

#include "core/tagedit/SaveEngine.h"
#include "gui/app/MainWindowControls.h"
#include "gui/app/StatusBarPanels.h"

namespace hozanki {

BusyWindowLock::~BusyWindowLock() {
  if (cursorOverridden_) QApplication::restoreOverrideCursor();
}

void BusyWindowLock::Lock(const MainWindowControls& ui, BusyState state) {
  lockedActions_.clear();
  focusBefore_ = QApplication::focusWidget();
  for (QMenu* menu : {ui.MenuFile, ui.MenuEdit, ui.MenuOption, ui.MenuHelp}) {
    menu->menuAction()->setEnabled(false);
    for (QAction* action : menu->findChildren<QAction*>()) {
      lockedActions_.emplace_back(action, action->isEnabled());
      action->setEnabled(false);
    }
  }
  const bool saving = state == BusyState::Saving;
  ui.MenuCancel->setData(saving ? 1 : state == BusyState::Loading ? 2 : 3);
  ui.MenuCancel->setVisible(true);
  ui.MenuCancel->setEnabled(true);
  ui.PanelU->setEnabled(false);
  ui.PageControlT->setEnabled(false);
  focusAfterLock_ = QApplication::focusWidget();
  const std::string_view saveText = kSaveModeText;
  const QString activity = saving ? QString::fromUtf8(saveText.data(), static_cast<qsizetype>(saveText.size()))
                           : state == BusyState::Loading ? QStringLiteral("ロード")
                                                         : QStringLiteral("リロード");
  ui.StatusBar->SetPanelText(2, activity);
  if (!cursorOverridden_) QApplication::setOverrideCursor(Qt::WaitCursor);
  cursorOverridden_ = true;
}

void BusyWindowLock::Unlock(const MainWindowControls& ui, const QString& modeText) {
  for (auto& [action, enabled] : lockedActions_)
    if (action) action->setEnabled(enabled);
  lockedActions_.clear();
  for (QMenu* menu : {ui.MenuFile, ui.MenuEdit, ui.MenuOption, ui.MenuHelp}) menu->menuAction()->setEnabled(true);
  ui.MenuCancel->setVisible(false);
  ui.PanelU->setEnabled(true);
  ui.PageControlT->setEnabled(true);
  ui.StatusBar->SetPanelText(2, modeText);
  if (cursorOverridden_) QApplication::restoreOverrideCursor();
  cursorOverridden_ = false;
  QWidget* now = QApplication::focusWidget();
  if (focusBefore_ && focusBefore_ != now && now == focusAfterLock_.data() && focusBefore_->isVisible() &&
      focusBefore_->isEnabled())
    focusBefore_->setFocus(Qt::OtherFocusReason);
  focusBefore_ = nullptr;
  focusAfterLock_ = nullptr;
}

}  // namespace hozanki
