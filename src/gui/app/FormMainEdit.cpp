// TFormMain: copy, paste, set-all, clear and undo of the File and Edit menus
// and of the popups `PopupT` and `PopupR`. The work is done by the tag
// editing core; this file picks the target and the rows and moves the text
// to and from the clipboard.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMenu>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>

#include "core/settings/AppSettings.h"
#include "core/tagedit/CopyData.h"
#include "core/tagedit/SetAll.h"
#include "core/tagedit/SetCellValue.h"
#include "core/tagedit/Undo.h"
#include "core/text/ConvertText.h"
#include "core/text/TextWidth.h"
#include "gui/app/FormMain.h"
#include "gui/tagedit/FormSetAll.h"

namespace hozanki {

void TFormMain::ConnectEditCommands() {
  auto hook = [this](const char* name, auto slot) {
    QAction* item = findChild<QAction*>(QLatin1String(name));
    if (!item) return;
    item->setEnabled(true);
    connect(item, &QAction::triggered, this, slot);
  };
  hook("MenuFileSave", &TFormMain::MenuFileSaveClick);
  hook("MenuEditCopy", &TFormMain::MenuEditCopyClick);
  hook("MenuEditPaste", &TFormMain::MenuEditPasteClick);
  hook("MenuEditUndo", &TFormMain::MenuEditUndoClick);
  hook("PopupTCopy", &TFormMain::PopupCopyClick);
  hook("PopupRCopy", &TFormMain::PopupCopyClick);
  hook("PopupTPaste", &TFormMain::PopupPasteClick);
  hook("PopupRPaste", &TFormMain::PopupPasteClick);
  hook("PopupTSetAll", &TFormMain::PopupTSetAllClick);
  hook("PopupTClear", &TFormMain::PopupTClearClick);
  QAction* undoT = findChild<QAction*>(QStringLiteral("PopupTUndo"));
  undoT->setEnabled(true);
  connect(undoT, &QAction::triggered, this, [this] { UndoIn(false); });
  QAction* undoR = findChild<QAction*>(QStringLiteral("PopupRUndo"));
  undoR->setEnabled(true);
  connect(undoR, &QAction::triggered, this, [this] { UndoIn(true); });
  // The fourteen conversions of both popups; the kind is the item's data.
  for (QMenu* popup : {PopupT, PopupR})
    for (QAction* item : popup->findChildren<QAction*>()) {
      if (!item->objectName().contains(QLatin1String("Convert")) || item->menu() || !item->data().isValid())
        continue;
      item->setEnabled(true);
      connect(item, &QAction::triggered, this, [this, item] { PopupConvertClick(item->data().toInt()); });
    }
  // Delete is the shortcut of "消去(&B)" on a table with an edit column.
  for (QTableView* table : listViewT_) {
    auto* clear = new QShortcut(QKeySequence(Qt::Key_Delete), table, nullptr, nullptr, Qt::WidgetShortcut);
    connect(clear, &QShortcut::activated, this, [this, table] {
      if (PopupOf(table) == PopupT && !IsBusy()) PopupTClearClick();
    });
  }
}

EditTarget TFormMain::CurrentTarget(bool fromFileList) const {
  if (fromFileList) return EditTarget::FileNames(static_cast<MediaFormat>(PageControlF->currentIndex()));
  const int page = PageControlT->currentIndex();
  return EditTarget::TagColumn(static_cast<TagKind>(page), editColumn_[static_cast<size_t>(page)] - 1);
}

std::vector<int> TFormMain::SelectedRowsOf(QTableView* view, bool selectAllWhenNone) const {
  std::vector<int> rows;
  for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  // No selection means every row, and the view shows it so.
  if (rows.empty() && selectAllWhenNone && view->model()->rowCount() > 0) view->selectAll();
  return rows;
}

void TFormMain::CopyFrom(bool fromFileList) {
  const bool extOmit = AppSettings::Current().extOmit;
  std::string text;
  if (fromFileList) {
    const EditTarget target = CurrentTarget(true);
    text = PartialCopyText(catalogue_, target, SelectedRowsOf(ActiveFileList(), true), extOmit);
  } else {
    const int page = PageControlT->currentIndex();
    const std::vector<int> rows = SelectedRowsOf(ActiveTagTable(), true);
    if (editColumn_[static_cast<size_t>(page)] >= 1)
      text = PartialCopyText(catalogue_, CurrentTarget(false), rows, extOmit);
    else
      text = WholeCopyText(catalogue_, static_cast<TagKind>(page), rows);
  }
  QClipboard* clipboard = QApplication::clipboard();
  clipboard->clear();
  clipboard->setText(QString::fromStdString(text));
}

void TFormMain::PasteInto(bool intoFileList) {
  const std::string text = QApplication::clipboard()->text().toStdString();
  const bool extProtect = AppSettings::Current().extProtect;
  if (intoFileList) {
    PartialPaste(catalogue_, CurrentTarget(true), SelectedRowsOf(ActiveFileList(), true), text, extProtect);
    return;
  }
  const int page = PageControlT->currentIndex();
  const int column = editColumn_[static_cast<size_t>(page)];
  if (column == 1) return;  // the relative names are never pasted into
  const std::vector<int> rows = SelectedRowsOf(ActiveTagTable(), true);
  if (column >= 2)
    PartialPaste(catalogue_, CurrentTarget(false), rows, text, extProtect);
  else
    WholePaste(catalogue_, static_cast<TagKind>(page), rows, text);
}

void TFormMain::UndoIn(bool inFileList) {
  if (inFileList) {
    QTableView* list = ActiveFileList();
    UndoFileNames(catalogue_, static_cast<MediaFormat>(PageControlF->currentIndex()),
                  SelectedRowsOf(list, false));
    return;
  }
  const int page = PageControlT->currentIndex();
  const std::vector<int> rows = SelectedRowsOf(ActiveTagTable(), false);
  if (rows.empty()) return;
  const int column = editColumn_[static_cast<size_t>(page)];
  // The file-name column is not a value: nothing to take back there.
  if (column == 1) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  UndoTagRows(catalogue_, currentFolder_, static_cast<TagKind>(page), rows, column >= 2 ? column - 1 : 0);
  QApplication::restoreOverrideCursor();
}

void TFormMain::MenuEditCopyClick() {
  CopyFrom(IsRenameMode());
}

void TFormMain::MenuEditPasteClick() {
  PasteInto(IsRenameMode());
}

void TFormMain::MenuEditUndoClick() {
  if (ActiveFileList()->hasFocus())
    UndoIn(true);
  else if (ActiveTagTable()->hasFocus())
    UndoIn(false);
}

void TFormMain::PopupCopyClick() {
  CopyFrom(sender() && sender()->objectName() == QLatin1String("PopupRCopy"));
}

void TFormMain::PopupPasteClick() {
  PasteInto(sender() && sender()->objectName() == QLatin1String("PopupRPaste"));
}

void TFormMain::PopupTSetAllClick() {
  const int page = PageControlT->currentIndex();
  const int column = editColumn_[static_cast<size_t>(page)];
  if (column < 2) return;
  const auto kind = static_cast<TagKind>(page);
  const EditTarget target = CurrentTarget(false);
  QTableView* table = ActiveTagTable();
  const int focused = table->selectionModel()->currentIndex().row();
  TFormSetAll dialog(ChooseSetAllPage(kind, column),
                     focused >= 0 ? CellText(catalogue_, target, focused) : "", settingsFolder_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  std::vector<int> rows = SelectedRowsOf(table, true);
  if (dialog.SelectAll()) table->selectAll();
  std::string total;
  ApplySetAll(catalogue_, target, rows, dialog.SelectAll(), dialog.Input(), &total);
}

void TFormMain::PopupConvertClick(int kind) {
  const bool rename = IsRenameMode();
  QTableView* view = rename ? ActiveFileList() : ActiveTagTable();
  const EditTarget target = CurrentTarget(rename);
  if (!rename && !target.IsValueColumn()) return;
  // Only the selected rows; none selected, nothing to do.
  const std::vector<int> selected = SelectedRowsOf(view, false);
  if (selected.empty()) return;
  for (int row : RowsOpenToEditing(catalogue_, target, selected)) {
    const std::string text = CellText(catalogue_, target, row);
    std::string converted;
    if (rename) {
      // Only the name; the extension stays as it is.
      const size_t dot = ExtensionPos(text);
      const std::string_view name = std::string_view(text).substr(0, dot);
      converted = ConvertText(kind, name) + (dot == std::string::npos ? std::string() : text.substr(dot));
    } else {
      converted = ConvertText(kind, text);
    }
    if (converted != text) SetCellValue(catalogue_, target, row, converted);
  }
}

void TFormMain::PopupTClearClick() {
  const int page = PageControlT->currentIndex();
  if (editColumn_[static_cast<size_t>(page)] < 2) return;
  ClearCells(catalogue_, CurrentTarget(false), SelectedRowsOf(ActiveTagTable(), true));
}

}  // namespace hozanki
