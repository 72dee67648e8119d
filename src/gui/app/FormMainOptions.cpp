// TFormMain: "動作環境(&E)" opens the options dialog; its OK applies the new
// options at once to this window and the list window.

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableView>

#include "core/settings/AppSettings.h"
#include "gui/app/FormMain.h"
#include "gui/listout/FormListMain.h"
#include "gui/options/FormOption.h"

namespace hozanki {

void TFormMain::SetUpOptions() {
  optionDialogs_ = StandardOptionDialogs();
  QAction* item = findChild<QAction*>(QStringLiteral("MenuOptionGeneral"));
  item->setEnabled(true);
  connect(item, &QAction::triggered, this, &TFormMain::MenuOptionGeneralClick);
}

void TFormMain::MenuOptionGeneralClick() {
  TFormOption dialog(AppSettings::Current(), DriveComboBox->font().family(), settingsFolder_, optionDialogs_,
                     this);
  if (dialog.exec() != QDialog::Accepted) return;
  ApplyOptions(dialog.Result());
}

void TFormMain::ApplyOptions(const AppSettings& options) {
  AppSettings& current = AppSettings::Current();
  std::vector<ToolEntry> tools = std::move(current.tools);
  current = options;
  current.tools = std::move(tools);
  MemoListView->setFixedHeight(current.memoSize);
  ApplyFont(QString::fromStdString(current.fontName));
  if (formListMain_) formListMain_->SetListFont(DriveComboBox->font());
  // The edit-column colours are read when the cells are painted.
  for (QTableView* view : listViewT_) view->viewport()->update();
  for (QTableView* view : listViewF_) view->viewport()->update();
}

}  // namespace hozanki
