#pragma once
// `ToolCommands`: the user tools (the entries of the tool submenu and the
// dialog `TFormTool`), "再生(&P)" (the format's player, or the desktop's
// default application) and the external editor "エディタ(&E)". The window
// is reached only through `ToolHost`; the window connects the menu items.

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/tagedit/EditTarget.h"
#include "gui/tools/ProgramStarter.h"

class QAction;
class QMenu;
class QTableView;
class QWidget;

namespace hozanki {

// What the tool commands need of the main window.
struct ToolHost {
  // Parent of the dialogs and messages; disabled while the editor runs.
  QWidget* window = nullptr;
  std::filesystem::path settingsFolder;
  std::function<Catalogue&()> catalogue;
  std::function<std::filesystem::path()> currentFolder;
  std::function<bool()> busy;
  std::function<bool()> renameMode;
  // The active file page (a format) and the file list of a page.
  std::function<int()> filePage;
  std::function<QTableView*(int page)> fileList;
  // The active file list (`fileList`) or tag table, and its edit column.
  std::function<QTableView*(bool fileList)> activeView;
  std::function<EditTarget(bool fileList)> target;
  // The tool submenu: the tools come first, then a separator and "設定(&O)".
  QMenu* toolMenu = nullptr;
};

class ToolCommands : public QObject {
  Q_OBJECT

 public:
  ToolCommands(ToolHost host, QObject* parent);

  // The tools of the settings, ahead of the fixed items of the tool submenu.
  void AddToolItems();
  // "ツール(&T)" of the Option menu and "設定(&O)" of the tool submenu.
  void MenuOptionToolClick();
  // A tool entry: its program on the selected files of the active file list.
  void MenuEditToolClick(QAction* item);
  // "再生(&P)": the format's player, or the focused file opened by the desktop.
  void PopupFPlayClick();
  // "エディタ(&E)": the edit column of the selected rows in the text editor.
  void PopupEditorClick();
  // The external editor is being waited for (the window must not close).
  bool EditorRunning() const { return editorRunning_; }
  // The names (relative to the current folder) of the selected files of a
  // file list, in list order.
  std::vector<std::string> SelectedFileNames(int page) const;

  // How programs start and the program file dialog (tests put their own in).
  void SetProgramStarter(ProgramStarter starter) { programStarter_ = std::move(starter); }
  void SetProgramDialog(std::function<QString(QWidget*, const QString&)> dialog) {
    openProgram_ = std::move(dialog);
  }

 private:
  void RebuildToolItems();

  ToolHost host_;
  ProgramStarter programStarter_;
  std::function<QString(QWidget*, const QString&)> openProgram_;
  bool editorRunning_ = false;
};

}  // namespace hozanki
