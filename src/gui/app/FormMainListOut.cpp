// TFormMain: the list window. "リスト出力(&L)" of the File menu shows it and
// the same entry of the file popup also picks the selected files into it.
// It is made on first use and kept (hidden when closed) until the program
// ends; it takes Ctrl+C, Ctrl+V and Ctrl+Z while it is shown.

#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>

#include "core/listout/PickedFile.h"
#include "gui/app/FormMain.h"
#include "gui/tagedit/CellCommands.h"
#include "gui/tagedit/SelectedRows.h"
#include "gui/listout/FormListMain.h"

namespace hozanki {

void TFormMain::SetUpListOut() {
  QAction* menu = findChild<QAction*>(QStringLiteral("MenuFileListOut"));
  QAction* popup = findChild<QAction*>(QStringLiteral("PopupFListOut"));
  menu->setEnabled(true);
  popup->setEnabled(true);
  connect(menu, &QAction::triggered, this, [this] { OpenFormListMain(); });
  connect(popup, &QAction::triggered, this, &TFormMain::PopupFListOutClick);
}

std::vector<PickedFile> TFormMain::PickSelectedFiles() const {
  const int page = ActiveFilePage();
  QTableView* list = FileList(page);
  std::vector<int> rows;
  for (const QItemSelectionRange& range : list->selectionModel()->selection())
    for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  const auto& entries = catalogue_.Entries(static_cast<MediaFormat>(page));
  const std::string folder = currentFolder_.string();
  std::vector<PickedFile> picked;
  picked.reserve(rows.size());
  for (int row : rows)
    if (row >= 0 && row < static_cast<int>(entries.size()))
      picked.push_back(MakePickedFile(entries[static_cast<size_t>(row)], folder));
  return picked;
}

TFormListMain* TFormMain::FormListMainWindow(bool create) {
  if (!formListMain_ && create) {
    ListWindowHost host;
    host.settingsFolder = settingsFolder_;
    host.selectedFiles = [this] { return PickSelectedFiles(); };
    host.currentFolder = [this] { return currentFolder_.string(); };
    host.dropShortcuts = [this] { cells_->DropEditShortcuts(); };
    host.restoreShortcuts = [this] { cells_->RestoreEditShortcuts(); };
    host.listFont = DriveComboBox->font();
    formListMain_ = new TFormListMain(std::move(host), this);
  }
  return formListMain_.data();
}

TFormListMain* TFormMain::OpenFormListMain() {
  TFormListMain* form = FormListMainWindow(true);
  form->show();
  form->raise();
  form->activateWindow();
  return form;
}

void TFormMain::PopupFListOutClick() {
  TFormListMain* form = FormListMainWindow(true);
  form->ShowPage(TFormListMain::kListupPage);
  form->MenuListSelectClick();
  OpenFormListMain();
}

}  // namespace hozanki
