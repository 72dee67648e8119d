// TFormMain: user tools (the entries of `PopupFTool` and the dialog
// `TFormTool`), "再生(&P)" and the external editor "エディタ(&E)".

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>

#include "core/common/AtomicFile.h"
#include "core/settings/AppSettings.h"
#include "core/tools/EditorExchange.h"
#include "gui/app/FormMain.h"
#include "gui/tools/DefaultEditor.h"
#include "gui/tools/FormTool.h"

namespace hozanki {

void TFormMain::SetUpTools() {
  programStarter_ = StandardProgramStarter();
  openProgram_ = OpenProgramDialog;
  auto hook = [this](const char* name, auto slot) {
    QAction* item = findChild<QAction*>(QLatin1String(name));
    item->setEnabled(true);
    connect(item, &QAction::triggered, this, slot);
  };
  hook("MenuOptionTool", &TFormMain::MenuOptionToolClick);
  hook("PopupFToolSetup", &TFormMain::MenuOptionToolClick);
  hook("PopupFPlay", &TFormMain::PopupFPlayClick);
  hook("MenuEditEditor", &TFormMain::PopupEditorClick);
  hook("PopupTEditor", &TFormMain::PopupEditorClick);
  hook("PopupREditor", &TFormMain::PopupEditorClick);
}

void TFormMain::RebuildToolItems() {
  const QList<QAction*> items = PopupFTool->actions();
  for (qsizetype i = 0; i + 2 < items.size(); ++i) {
    PopupFTool->removeAction(items[i]);
    items[i]->setObjectName(QString());
    items[i]->deleteLater();
  }
  AddToolItems();
}

void TFormMain::MenuOptionToolClick() {
  std::vector<ToolEntry> tools;
  const QList<QAction*> items = PopupFTool->actions();
  for (qsizetype i = 0; i + 2 < items.size(); ++i) {
    const auto [program, parameters] = SplitToolText(items[i]->data().toString().toStdString());
    tools.push_back({items[i]->text().toStdString(), program, parameters});
  }
  TFormTool dialog(tools, settingsFolder_, openProgram_, this);
  dialog.exec();
  if (!dialog.Saved()) return;
  AppSettings::Current().tools = dialog.Tools();
  RebuildToolItems();
}

std::vector<std::string> TFormMain::SelectedFileNames(int page) const {
  std::vector<int> rows;
  for (const QModelIndex& index : listViewF_[static_cast<size_t>(page)]->selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  const auto& entries = catalogue_.Entries(static_cast<MediaFormat>(page));
  std::vector<std::string> names;
  for (int row : rows)
    if (row >= 0 && row < static_cast<int>(entries.size()))
      names.push_back(entries[static_cast<size_t>(row)].relativePath.string());
  return names;
}

void TFormMain::MenuEditToolClick(QAction* item) {
  const auto [program, parameters] = SplitToolText(item->data().toString().toStdString());
  programStarter_.start(
      BuildToolCall(program, parameters, currentFolder_.string(), SelectedFileNames(ActiveFilePage())));
}

void TFormMain::PopupFPlayClick() {
  const int page = ActiveFilePage();
  const AppSettings& options = AppSettings::Current();
  const std::string& program = options.player[static_cast<size_t>(page)];
  if (!program.empty() && QFile::exists(QString::fromStdString(program))) {
    programStarter_.start(BuildToolCall(program, options.playerPrm[static_cast<size_t>(page)],
                                        currentFolder_.string(), SelectedFileNames(page)));
    return;
  }
  // No player: the focused file opens in the desktop's default application.
  const QModelIndex focused = listViewF_[static_cast<size_t>(page)]->currentIndex();
  const auto& entries = catalogue_.Entries(static_cast<MediaFormat>(page));
  if (!focused.isValid() || focused.row() >= static_cast<int>(entries.size())) return;
  const std::filesystem::path path = currentFolder_ / entries[static_cast<size_t>(focused.row())].relativePath;
  programStarter_.open(QString::fromStdString(path.string()));
}

void TFormMain::PopupEditorClick() {
  if (IsBusy()) return;
  const bool rename = IsRenameMode();
  const EditTarget target = CurrentTarget(rename);
  if (!rename && !target.IsValueColumn()) return;
  QTableView* view = rename ? ActiveFileList() : ActiveTagTable();
  const std::vector<int> selected = SelectedRowsOf(view, true);
  const ExchangeRows rows = CollectExchangeRows(catalogue_, target, selected);
  const std::filesystem::path file = settingsFolder_ / kExchangeFileName;
  std::string error;
  if (!WriteFileAtomic(file, ExchangeText(rows.cells), &error)) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(file.string() + "\n" + error));
    return;
  }
  const ProgramCall call = EditorCall(EditorCommand(AppSettings::Current().editor), file.string());
  editorRunning_ = true;
  const int failure = RunAndWait(call, this);
  editorRunning_ = false;
  if (failure != 0) {
    QMessageBox box(QMessageBox::Critical, windowTitle(), QStringLiteral("ShellExecute Error%1").arg(failure),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("EditorStartError"));
    box.exec();
  }
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) return;
  ApplyExchangeLines(catalogue_, target, rows.rows, ExchangeLines(bytes));
}

}  // namespace hozanki
