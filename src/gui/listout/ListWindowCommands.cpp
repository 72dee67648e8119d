#include "gui/listout/ListWindowCommands.h"

#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>

#include "gui/listout/FormListMain.h"

namespace hozanki {

ListWindowCommands::ListWindowCommands(ListCommandHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {}

ListWindowCommands::~ListWindowCommands() {
  DeleteWindow();
}

std::vector<PickedFile> ListWindowCommands::PickSelectedFiles() const {
  const int page = host_.filePage();
  QTableView* list = host_.fileList(page);
  std::vector<int> rows;
  for (const QItemSelectionRange& range : list->selectionModel()->selection())
    for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  const auto& entries = host_.catalogue().Entries(static_cast<MediaFormat>(page));
  const std::string folder = host_.currentFolder().string();
  std::vector<PickedFile> picked;
  picked.reserve(rows.size());
  for (int row : rows)
    if (row >= 0 && row < static_cast<int>(entries.size()))
      picked.push_back(MakePickedFile(entries[static_cast<size_t>(row)], folder));
  return picked;
}

TFormListMain* ListWindowCommands::FormListMainWindow(bool create) {
  if (!formListMain_ && create) {
    ListWindowHost host;
    host.settingsFolder = host_.settingsFolder;
    host.selectedFiles = [this] { return PickSelectedFiles(); };
    host.currentFolder = [this] { return host_.currentFolder().string(); };
    host.dropShortcuts = host_.dropShortcuts;
    host.restoreShortcuts = host_.restoreShortcuts;
    host.listFont = host_.listFont();
    formListMain_ = new TFormListMain(std::move(host), host_.window);
  }
  return formListMain_.data();
}

TFormListMain* ListWindowCommands::OpenFormListMain() {
  TFormListMain* form = FormListMainWindow(true);
  form->show();
  form->raise();
  form->activateWindow();
  return form;
}

void ListWindowCommands::PopupFListOutClick() {
  TFormListMain* form = FormListMainWindow(true);
  form->ShowPage(TFormListMain::kListupPage);
  form->MenuListSelectClick();
  OpenFormListMain();
}

void ListWindowCommands::SetListFont(const QFont& font) {
  if (formListMain_) formListMain_->SetListFont(font);
}

void ListWindowCommands::DeleteWindow() {
  delete formListMain_.data();
}

}  // namespace hozanki
