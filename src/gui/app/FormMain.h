#pragma once
// `TFormMain`, the main window: folder tree, the eight file lists, the eleven
// tag tables, the status bar, the menus, the two editing modes and the
// coupling of file pages and tag pages. The folder, its catalogue and the
// workers are `FolderSession`'s; the file lists' and the tag tables'
// behaviour is `FileListController`'s and `TagTableController`'s; the
// commands on cells, rename patterns, the list window, options, tools and
// row drag are feature controllers of their own. Its code is split by job:
// FormMain.cpp (modes, pages, idle, closing, the list controllers' hosts),
// FormMainLayout.cpp (controls), FormMainMenus.cpp (menu bar and popups),
// FormMainSettings.cpp (FormCreate and FormClose: reading and writing
// "NR284.ini"), FormMainFolders.cpp (the session's busy state on the window,
// save, reload and cancel, drive box, folder tree, path lists dropped),
// FormMainWiring.cpp (the feature controllers, their hosts and items),
// FormMainKeyboard.cpp
// (keys that walk the window).

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/LoadEngine.h"
#include "gui/app/EditMode.h"
#include "gui/app/FolderSession.h"
#include "gui/catalogue/FileListView.h"

class QAbstractItemModel;
class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QStandardItemModel;
class QTabWidget;
class QTableView;
class QTreeView;

namespace hozanki {

class CellCommands;
class FileListModel;
class FileListController;
class NameConflictWatch;
struct EditTarget;
struct SaveFailure;
class StatusBarPanels;
class TagTableController;
class TagRowDrag;
class TagTableModel;
class ToolCommands;
class RenamePatternCommands;
class ListWindowCommands;
class OptionCommands;

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  // `arguments` are the command-line paths (absolute, raw bytes), handled at
  // the first idle moment.
  explicit TFormMain(std::vector<std::filesystem::path> arguments = {}, QWidget* parent = nullptr);
  ~TFormMain() override;

  static constexpr int kHelpContext = 101;

  // The folder, its catalogue and the work on it.
  FolderSession& Session() const { return *session_; }
  Catalogue& CatalogueData() { return session_->Data(); }
  EditMode Mode() const { return mode_; }
  bool IsRenameMode() const { return mode_ == EditMode::Rename; }
  int LastMp3TagPage() const { return lastMp3TagPage_; }
  // Pending synchronisation: -1 first idle still to come, 0 none, 1 file list
  // to tag tables, 2 tag table to file list.
  int SyncRequest() const { return syncRequest_; }
  bool IdleHooked() const { return idleTimer_.isActive(); }
  // Row geometry of the tables: position of row 0 below the table's top edge
  // and the height of one row.
  int FirstRowOffset() const { return firstRowOffset_; }
  int RowPitch() const { return rowPitch_; }
  int EditColumn(int tagPage) const { return editColumn_[static_cast<size_t>(tagPage)]; }
  FileListView* FileList(int page) const { return listViewF_[static_cast<size_t>(page)]; }
  QTableView* TagTable(int page) const { return listViewT_[static_cast<size_t>(page)]; }
  // The popup menu a list shows at the moment.
  QMenu* PopupOf(QTableView* view) const;
  // The settings folder this window reads and writes.
  const std::filesystem::path& SettingsFolderPath() const { return settingsFolder_; }
  // The tag tables' behaviour and the in-place editors.
  TagTableController& Tables() const { return *tables_; }
  // The file lists' behaviour: sorting, the copy box, rename mode's editor.
  FileListController& FileLists() const { return *fileLists_; }
  // The collisions of staged file names, as the file lists show them.
  NameConflictWatch& NameConflicts() const { return *nameConflicts_; }

  // A save, load or reload runs (the session's busy state).
  bool IsBusy() const { return session_->IsBusy(); }
  // The folder the rows are relative to (status-bar panel 0 shows it).
  const std::filesystem::path& CurrentFolder() const { return currentFolder_; }

  // The commands on the selected cells (FormMainWiring.cpp makes them).
  CellCommands& Cells() const { return *cells_; }
  // The fixed-form rename patterns and their window.
  RenamePatternCommands& Renames() const { return *renames_; }
  // The list window.
  ListWindowCommands& ListWindow() const { return *listWindow_; }
  // The options dialog.
  OptionCommands& Options() const { return *options_; }
  // The user tools, the player and the external editor.
  ToolCommands& Tools() const { return *tools_; }
  // Dragging rows of the tag tables.
  TagRowDrag& RowDrag() const { return *rowDrag_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void MenuFileModeClick();
  void PageControlFChange(int page);
  void PageControlTChange(int page);
  void ApplicationEventsIdle();
  void MenuEditSelectAllClick();
  void MenuHelpTopicClick();
  void HelpContextClick();
  void MenuHelpAboutClick();
  void ListContextMenu(const QPoint& position);
  // FormMainFolders.cpp
  void MenuFileSaveClick();
  void MenuCancelClick();
  void MenuFileReloadClick();
  void DriveComboBoxChange(int index);

 private:
  // FormMainLayout.cpp
  void BuildLayout();
  QTableView* MakeList(QTableView* view, const QString& name, QAbstractItemModel* model, int markWidth);
  // FormMainMenus.cpp
  void BuildMenus();
  void BuildPopups();
  // FormMainSettings.cpp
  void FormCreate();
  void FormClose();
  void ApplyFont(const QString& storedName);
  void FillGenreList();
  void MeasureRowGeometry();
  // FormMain.cpp
  // The mode becomes `mode`; the menu's check marks and F5 follow.
  void SwitchMode(EditMode mode);
  void HookIdle();
  void UnhookIdle();
  QTableView* ActiveFileList() const;
  QTableView* ActiveTagTable() const;
  void SetPopup(QTableView* view, QMenu* popup);
  void RunSync(int request);
  // Lists the files a save could not handle with their reasons (modeless).
  void ShowSaveErrors(const QString& summary, const std::vector<SaveFailure>& failures);
  // FormCloseQuery's question; false when the window stays (event ignored).
  bool CloseQueryStagedEdits(QCloseEvent* event);
  // FormMainWiring.cpp
  EditTarget CurrentTarget(bool fromFileList) const;
  void SetUpCellCommands();
  void SetUpTools();
  void SetUpRenamePatterns();
  void SetUpListWindow();
  void SetUpOptions();
  void SetUpRowDrag();
  // FormMain.cpp
  void RunStartAction();
  // The tag-table and file-list controllers with their hosts, and the menu
  // items they serve.
  void SetUpListControllers();
  // FormMainFolders.cpp: the window's side of the session's work. The busy
  // state: the four menus off, `MenuCancel` shown (its data 1 save, 2 load,
  // 3 reload), the upper panel and the tag pages off, the busy cursor, the
  // activity in status-bar panel 2. EndWork undoes it.
  void ConnectSession();
  void BeginWork(BusyState state);
  void EndWork();
  void ResetTabs();
  void MarkTabs();
  // FormMainKeyboard.cpp
  void SetUpKeyboard();
  bool KeyboardEvent(QObject* watched, QEvent* event);
  // FormMainFolders.cpp
  void ShowFolder(const std::filesystem::path& folder);
  void DirectoryTreeViewDblClick(const QModelIndex& index, bool shift);

  // Declared first, so it goes last: the models and the name watch that
  // observe its catalogue go before it.
  std::unique_ptr<FolderSession> session_;
  // The session's data under the names the window's code uses.
  Catalogue& catalogue_;
  const std::filesystem::path& settingsFolder_;
  const std::filesystem::path& currentFolder_;
  std::vector<std::filesystem::path> arguments_;

  // Controls, named as their objectName.
  QWidget* PanelU = nullptr;
  QWidget* PanelUL = nullptr;
  QComboBox* DriveComboBox = nullptr;
  QTreeView* DirectoryTreeView = nullptr;
  QStandardItemModel* folderModel_ = nullptr;
  QSplitter* SplitterFile = nullptr;
  QTabWidget* PageControlF = nullptr;
  QSplitter* SplitterUD = nullptr;
  QTabWidget* PageControlT = nullptr;
  StatusBarPanels* StatusBar = nullptr;
  QLineEdit* EditListView = nullptr;
  QLineEdit* EditListViewCopy = nullptr;
  QComboBox* ComboBoxListView = nullptr;
  QPlainTextEdit* MemoListView = nullptr;
  std::array<FileListView*, kFormatCount> listViewF_{};
  std::array<QTableView*, kTagKindCount> listViewT_{};
  std::unique_ptr<NameConflictWatch> nameConflicts_;
  std::array<std::unique_ptr<FileListModel>, kFormatCount> fileModels_;
  std::array<std::unique_ptr<TagTableModel>, kTagKindCount> tagModels_;

  // Menus.
  QAction* MenuFileModeR = nullptr;
  QAction* MenuFileModeT = nullptr;
  QAction* MenuCancel = nullptr;
  QAction* MenuFileReload = nullptr;
  QMenu* MenuFile = nullptr;
  QMenu* MenuEdit = nullptr;
  QMenu* MenuOption = nullptr;
  QMenu* MenuHelp = nullptr;
  QMenu* PopupF = nullptr;
  QMenu* PopupFTool = nullptr;
  QAction* PopupFToolSetup = nullptr;
  QMenu* PopupT = nullptr;
  QMenu* PopupR = nullptr;
  QMenu* PopupRForm = nullptr;
  QMenu* PopupTMulti = nullptr;
  QMenu* PopupRMulti = nullptr;

  // Window state.
  std::array<int, kTagKindCount> editColumn_{};
  int lastMp3TagPage_ = 1;
  int syncRequest_ = -1;
  int firstRowOffset_ = 0;
  int rowPitch_ = 0;
  QTimer idleTimer_;
  EditMode mode_ = EditMode::Tag;
  // A close that the unsaved-changes question answered already.
  bool closeConfirmed_ = false;

  bool cursorOverridden_ = false;
  // Enabled states of the menu items switched off by BeginWork.
  std::vector<std::pair<QPointer<QAction>, bool>> lockedActions_;
  // Declared after the models and the session: they go first, so an editor
  // open at the end stores nothing into a catalogue that is gone.
  std::unique_ptr<TagTableController> tables_;
  std::unique_ptr<FileListController> fileLists_;

  CellCommands* cells_ = nullptr;
  ToolCommands* tools_ = nullptr;
  RenamePatternCommands* renames_ = nullptr;
  ListWindowCommands* listWindow_ = nullptr;
  OptionCommands* options_ = nullptr;
  TagRowDrag* rowDrag_ = nullptr;
};

}  // namespace hozanki
