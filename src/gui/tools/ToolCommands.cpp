#include "gui/tools/ToolCommands.h"

#include <QAction>
#include <QFile>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>
#include <algorithm>

#include "core/common/AtomicFile.h"
#include "core/settings/AppSettings.h"
#include "core/tools/EditorExchange.h"
#include "core/tools/ProgramStart.h"
#include "gui/catalogue/RowSelection.h"
#include "gui/common/ReasonText.h"
#include "gui/tagedit/SelectedRows.h"
#include "gui/tools/DefaultEditor.h"
#include "gui/tools/FormTool.h"

namespace hozanki {

ToolCommands::ToolCommands(ToolHost host, QObject* parent)
    : QObject(parent),
      host_(std::move(host)),
      programStarter_(StandardProgramStarter()),
      openProgram_(OpenProgramDialog) {}

void ToolCommands::AddToolItems() {
  QMenu* menu = host_.toolMenu;
  QAction* first = menu->actions().value(0);
  int i = 0;
  for (const ToolEntry& tool : AppSettings::Current().tools) {
    auto* item = new QAction(QString::fromStdString(tool.name), menu);
    item->setObjectName(QStringLiteral("PopupFToolItem%1").arg(i));
    const QString hint =
        QString::fromStdString(tool.exec) + QLatin1Char('\t') + QString::fromStdString(tool.parm);
    item->setStatusTip(hint);
    item->setData(hint);
    connect(item, &QAction::triggered, this, [this, item] { MenuEditToolClick(item); });
    menu->insertAction(first, item);
    ++i;
  }
}

void ToolCommands::RebuildToolItems() {
  const QList<QAction*> items = host_.toolMenu->actions();
  for (qsizetype i = 0; i + 2 < items.size(); ++i) {
    host_.toolMenu->removeAction(items[i]);
    items[i]->setObjectName(QString());
    items[i]->deleteLater();
  }
  AddToolItems();
}

void ToolCommands::MenuOptionToolClick() {
  std::vector<ToolEntry> tools;
  const QList<QAction*> items = host_.toolMenu->actions();
  for (qsizetype i = 0; i + 2 < items.size(); ++i) {
    const auto [program, parameters] = SplitToolText(items[i]->data().toString().toStdString());
    tools.push_back({items[i]->text().toStdString(), program, parameters});
  }
  TFormTool dialog(tools, host_.settingsFolder, openProgram_, host_.window);
  dialog.exec();
  if (!dialog.Saved()) return;
  AppSettings::Current().tools = dialog.Tools();
  RebuildToolItems();
}

std::vector<std::string> ToolCommands::SelectedFileNames(int page) const {
  const std::vector<int> rows = SelectedRowList(host_.fileList(page)->selectionModel());
  const auto& entries = host_.catalogue().Entries(static_cast<MediaFormat>(page));
  std::vector<std::string> names;
  for (int row : rows)
    if (row >= 0 && row < static_cast<int>(entries.size()))
      names.push_back(entries[static_cast<size_t>(row)].relativePath.string());
  return names;
}

void ToolCommands::MenuEditToolClick(QAction* item) {
  const auto [program, parameters] = SplitToolText(item->data().toString().toStdString());
  programStarter_.start(BuildToolCall(program, parameters, host_.currentFolder().string(),
                                      SelectedFileNames(host_.filePage())));
}

void ToolCommands::PopupFPlayClick() {
  const int page = host_.filePage();
  const AppSettings& options = AppSettings::Current();
  const std::string& program = options.player[static_cast<size_t>(page)];
  const std::filesystem::path folder = host_.currentFolder();
  // A bare name ("mpv") is looked up on PATH, as the desktop would.
  if (!program.empty() && !ResolveProgram(program).empty()) {
    programStarter_.start(BuildToolCall(program, options.playerPrm[static_cast<size_t>(page)],
                                        folder.string(), SelectedFileNames(page)));
    return;
  }
  // No player: the focused file opens in the desktop's default application.
  const QModelIndex focused = host_.fileList(page)->currentIndex();
  const auto& entries = host_.catalogue().Entries(static_cast<MediaFormat>(page));
  if (!focused.isValid() || focused.row() >= static_cast<int>(entries.size())) return;
  const std::filesystem::path path = folder / entries[static_cast<size_t>(focused.row())].relativePath;
  programStarter_.open(path);
}

void ToolCommands::PopupEditorClick() {
  if (host_.busy()) return;
  const bool rename = host_.renameMode();
  const EditTarget target = host_.target(rename);
  if (!rename && !target.IsValueColumn()) return;
  const std::vector<int> selected = SelectedRowsOf(host_.activeView(rename), true);
  Catalogue& catalogue = host_.catalogue();
  const ExchangeRows rows = CollectExchangeRows(catalogue, target, selected);
  const std::filesystem::path file = host_.settingsFolder / kExchangeFileName;
  std::string error;
  if (!WriteFileAtomic(file, ExchangeText(rows.cells), &error)) {
    QMessageBox::warning(host_.window, host_.window->windowTitle(),
                         QString::fromStdString(file.string() + "\n") + ReasonText(error));
    return;
  }
  const ProgramCall call = EditorProgramCall(AppSettings::Current().editor, file.string());
  if (call.program.empty()) {
    const std::vector<std::string> editor = EditorCommand(AppSettings::Current().editor);
    if (!editor.empty()) {
      // A terminal editor, and no terminal to run it in.
      QMessageBox box(QMessageBox::Warning, host_.window->windowTitle(),
                      QStringLiteral("%1 は端末で動くエディタですが、端末エミュレータが見つかりません。\n"
                                     "「動作環境設定」の「テキストエディタ」で別のエディタを選んでください。")
                          .arg(QString::fromStdString(editor.front())),
                      QMessageBox::Ok, host_.window);
      box.setObjectName(QStringLiteral("EditorStartError"));
      box.exec();
      return;
    }
  }
  // While the editor runs, hand-overs wait and drops are refused: the lines
  // go back to the folder and rows they came from.
  const std::filesystem::path folder = host_.currentFolder();
  editorRunning_ = true;
  const WaitOutcome outcome = RunAndWait(call, host_.window);
  editorRunning_ = false;
  if (outcome.startError != 0) {
    QMessageBox box(QMessageBox::Critical, host_.window->windowTitle(),
                    QStringLiteral("ShellExecute Error%1").arg(outcome.startError), QMessageBox::Ok, host_.window);
    box.setObjectName(QStringLiteral("EditorStartError"));
    box.exec();
  }
  // Stopped waiting: whatever the editor writes later is not taken.
  if (outcome.stopped || host_.currentFolder() != folder || host_.busy()) return;
  std::string bytes;
  if (!ReadWholeFile(file, bytes)) return;
  ApplyExchangeLines(catalogue, target, rows.rows, ExchangeLines(bytes));
}

}  // namespace hozanki
