// TFormMain: compound edits. The store read from "NR284Cnv.dat" at start,
// the two "複合編集(&M)" submenus that list it (`PopupTMulti`, `PopupRMulti`),
// running one on the selected cells, and the compound edit window with the
// Ctrl+C/V/Z shortcuts it takes from the main window while open.

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>

#include "core/tagedit/SetCellValue.h"
#include "core/settings/IniFile.h"
#include "core/settings/CompoundFile.h"
#include "gui/app/FormMain.h"
#include "gui/app/WindowPlacement.h"
#include "gui/text/FormMulti.h"

namespace hozanki {

void TFormMain::SetUpCompoundEdits() {
  compoundStore_ = LoadCompoundStore(settingsFolder_ / kCompoundFileName, &compoundStoreReadError_);
  BuildCompoundMenus();
  for (const char* name : {"MenuOptionMulti", "PopupTMultiOption", "PopupRMultiOption"}) {
    QAction* item = findChild<QAction*>(QLatin1String(name));
    if (!item) continue;
    item->setEnabled(true);
    connect(item, &QAction::triggered, this, &TFormMain::MenuOptionMultiClick);
  }
}

void TFormMain::BuildCompoundMenus() {
  for (QMenu* menu : {PopupTMulti, PopupRMulti}) {
    // Every entry but the separator and "設定(&O)" goes, then the store's.
    QList<QAction*> items = menu->actions();
    for (qsizetype i = 0; i + 2 < items.size(); ++i) {
      menu->removeAction(items[i]);
      delete items[i];
    }
    QAction* separator = menu->actions().value(0);
    for (size_t i = 0; i < compoundStore_.size(); ++i) {
      auto* item = new QAction(QString::fromStdString(compoundStore_[i].title), menu);
      item->setData(static_cast<int>(i));
      // Titles are shown as they are: no "&" mnemonics.
      item->setText(item->text().replace(QLatin1Char('&'), QLatin1String("&&")));
      connect(item, &QAction::triggered, this, [this, i] { PopupMultiClick(static_cast<int>(i)); });
      menu->insertAction(separator, item);
    }
  }
}

void TFormMain::PopupMultiClick(int index) {
  if (index < 0 || index >= static_cast<int>(compoundStore_.size())) return;
  const bool rename = IsRenameMode();
  QTableView* view = rename ? ActiveFileList() : ActiveTagTable();
  const EditTarget target = CurrentTarget(rename);
  if (!rename && !target.IsValueColumn()) return;
  // Only the selected rows, every one of them; nothing is selected for the user.
  const std::vector<int> selected = SelectedRowsOf(view, false);
  if (selected.empty()) return;
  const std::vector<CompoundStep> steps = compoundStore_[static_cast<size_t>(index)].steps;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  view->setUpdatesEnabled(false);
  std::vector<std::pair<int, std::string>> failures;
  std::string error;
  for (int row : selected) {
    // In rename mode the whole name, extension included.
    const std::string text = CellText(catalogue_, target, row);
    const std::string result = RunCompound(steps, text, &error);
    if (!error.empty()) {
      failures.emplace_back(row, error);
      continue;
    }
    if (result != text) SetCellValue(catalogue_, target, row, result);
  }
  view->setUpdatesEnabled(true);
  QApplication::restoreOverrideCursor();
  ReportTextCommandFailures(target, failures);
}

std::optional<std::string> TFormMain::CompoundCheckCell() const {
  const bool rename = IsRenameMode();
  QTableView* view = rename ? ActiveFileList() : ActiveTagTable();
  const EditTarget target = CurrentTarget(rename);
  if (!rename && editColumn_[static_cast<size_t>(PageControlT->currentIndex())] < 1) return std::nullopt;
  const int row = view->selectionModel()->currentIndex().row();
  if (row < 0) return std::nullopt;
  return CellText(catalogue_, target, row);
}

bool TFormMain::StoreCompoundEdits(const std::vector<CompoundEdit>& edits, std::string* error) {
  if (!compoundStoreReadError_.empty()) {
    if (error) *error = UnreadableStoreText(compoundStoreReadError_);
    return false;
  }
  if (!WriteCompoundFile(settingsFolder_ / kCompoundFileName, edits, static_cast<int>(compoundStore_.size()),
                         error))
    return false;
  compoundStore_ = edits;
  BuildCompoundMenus();
  return true;
}

void TFormMain::MenuOptionMultiClick() {
  // One window at a time: a second would save over the first one's changes.
  if (formMulti_) {
    formMulti_->raise();
    formMulti_->activateWindow();
    return;
  }
  auto* form = new TFormMulti(
      compoundStore_, settingsFolder_,
      [this](const std::vector<CompoundEdit>& edits, std::string* error) {
        return StoreCompoundEdits(edits, error);
      },
      [this] { return CompoundCheckCell(); }, this);
  formMulti_ = form;
  DropEditShortcuts();
  connect(form, &QObject::destroyed, this, [this] { RestoreEditShortcuts(); });
  CentreOver(*form, *this);
  form->show();
}

void TFormMain::CloseCompoundWindow() {
  if (!formMulti_) return;
  formMulti_->close();  // writes its settings
  delete formMulti_.data();
}

void TFormMain::DropEditShortcuts() {
  if (shortcutDrops_++ > 0) return;
  const QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_V),
                                 QKeySequence(Qt::CTRL | Qt::Key_Z)};
  for (QAction* item : findChildren<QAction*>())
    if (keys.contains(item->shortcut())) {
      droppedShortcuts_.emplace_back(item, item->shortcut());
      item->setShortcut(QKeySequence());
    }
}

void TFormMain::RestoreEditShortcuts() {
  if (shortcutDrops_ == 0 || --shortcutDrops_ > 0) return;
  for (auto& [item, key] : droppedShortcuts_)
    if (item) item->setShortcut(key);
  droppedShortcuts_.clear();
}

}  // namespace hozanki
