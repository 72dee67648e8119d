#pragma once
// `TFormMain`, the main window: folder tree, the eight file lists, the eleven
// tag tables, the status bar, the menus, the two editing modes and the
// coupling of file pages and tag pages. Its code is split by job:
// FormMain.cpp (modes, pages, idle, closing), FormMainLayout.cpp (controls),
// FormMainMenus.cpp (menu bar and popups), FormMainSettings.cpp (FormCreate
// and FormClose: reading and writing "NR284.ini"), FormMainLoad.cpp (the
// busy state, loading, reloading, cancel), FormMainFolders.cpp (drive box,
// folder tree, path lists handed over or dropped), FormMainFileLists.cpp
// (column clicks, sorting, the copy box, dragging files out),
// FormMainSave.cpp (saving),
// FormMainRename.cpp (rename mode's name editor),
// FormMainWiring.cpp (the feature controllers: cell commands, rename
// patterns, list window, options, tools, row drag; their hosts and items),
// FormMainUnsaved.cpp
// (the question before staged edits would be dropped), FormMainKeyboard.cpp
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

class CatalogueTableModel;
class CellCommands;
class FileListModel;
class FileLoadWorker;
class FileReloadWorker;
class NameConflictWatch;
class SaveTag;
struct EditTarget;
struct SaveFailure;
struct SaveResult;
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

  Catalogue& CatalogueData() { return catalogue_; }
  bool IsRenameMode() const;
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
  // The collisions of staged file names, as the file lists show them.
  NameConflictWatch& NameConflicts() const { return *nameConflicts_; }

  // FormMainLoad.cpp
  // `OpenFolder`: clears every list and loads the folder (plain, recursive or
  // a path list) on the loader thread. Ignored while a worker runs.
  void OpenFolder(const LoadRequest& request);
  // `OpenPathList`: opens the folder of the first path and loads exactly the
  // listed files. While a worker runs, the last list handed over is kept and
  // opened when the window is idle again.
  void OpenPathList(const std::vector<std::filesystem::path>& paths);
  // `StartReload`: reads the listed files of the current folder again (all,
  // or with `changedOnly` those carrying a changed mark), rows in place.
  void StartReload(bool changedOnly);
  // The same for given rows (the re-read at the end of a save).
  void StartReload(std::vector<ReloadItem> items);
  // The busy state: the four menus off, `MenuCancel` shown with `cancelTag`
  // (1 save, 2 load, 3 reload), the upper panel and the tag pages off, the
  // busy cursor, `activity` in status-bar panel 2. EndWork undoes it.
  void BeginWork(int cancelTag, const QString& activity);
  void EndWork();
  bool IsBusy() const;
  // The folder the rows are relative to (status-bar panel 0 shows it).
  const std::filesystem::path& CurrentFolder() const { return currentFolder_; }
  // The readers of later loads and reloads (tests put slow ones in).
  void SetMediaReaders(MediaReaders readers) { readers_ = std::move(readers); }
  // A path list kept while busy, opened when idle again.
  bool HasPendingPathList() const { return pendingPathList_.has_value(); }

  // FormMainUnsaved.cpp
  // Whether any row carries the changed mark.
  bool HasStagedEdits() const;
  // Runs `then` at once when nothing is staged; otherwise asks
  // "変更が保存されていません。保存しますか？": 破棄 runs `then`, 保存 saves and
  // runs `then` once the save wrote everything, キャンセル does nothing.
  void AfterStagedEdits(std::function<void()> then);

  // FormMainFileLists.cpp
  // `cmnListViewFColumnClick` on file page `page`.
  void cmnListViewFColumnClick(int page, int column, bool shift);
  // The full paths of the selected rows of a file list, in list order.
  std::vector<std::filesystem::path> SelectedFullPaths(int page) const;
  // The sort key of the last sort (column × 2 − 2, + 1 descending), -1 none.
  int SortKey() const { return sortKey_; }

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

 signals:
  // A save and the re-read after it are over.
  void SaveDone();
  // `MenuCancelClick` with tag 1: the running save is asked to stop.
  void SaveCancelRequested();
  // Emitted from the unlock step of a load or reload.
  void WorkFinished();
  // A press on the armed file-name cell in rename mode: the file-name editor
  // `EditListView` opens there (rename mode's editor).
  void FileNameEditRequested(int page, int row);

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
  // FormMainSave.cpp
  void MenuFileSaveClick();
  void SaveCancelClick();
  void MenuCancelClick();
  void MenuFileReloadClick();
  void DriveComboBoxChange(int index);

 private:
  friend class TagTableController;

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
  void SwitchMode(QAction* item);
  void HookIdle();
  void UnhookIdle();
  QTableView* ActiveFileList() const;
  QTableView* ActiveTagTable() const;
  void SetPopup(QTableView* view, QMenu* popup);
  void RunSync(int request);
  // FormMainSave.cpp
  void SaveFinished(const std::shared_ptr<const SaveResult>& result);
  // Lists the files a save could not handle with their reasons (modeless).
  void ShowSaveErrors(const QString& summary, const std::vector<SaveFailure>& failures);
  // FormMainUnsaved.cpp
  void SaveThen(std::function<void()> then);
  void ContinueAfterSave();
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
  // FormMainRename.cpp
  void SetUpRenameMode();
  void OpenFileNameEditor(int page, int row);
  void RunStartAction();
  // FormMainLoad.cpp
  void ResetLists();
  void AppendBatch(LoadBatch& batch);
  void MarkTabs();
  void UnlockAfterLoad();
  void RunPendingPathList();
  // FormMainKeyboard.cpp
  void SetUpKeyboard();
  bool KeyboardEvent(QObject* watched, QEvent* event);
  // FormMainFolders.cpp
  void ShowFolder(const std::filesystem::path& folder);
  void DirectoryTreeViewDblClick(const QModelIndex& index, bool shift);
  // FormMainFileLists.cpp
  void SetUpFileList(int page);
  void SortFileList(int page, int column);
  void ArmedPress(int page, int row, int column);
  void OpenCopyBox(int page, int row, int column);
  bool EditListViewCopyEvent(QEvent* event);
  // Closes whichever in-place editor is open (it stores its text).
  void EditListViewCopyExit();
  void FileListEscape(int page);

  Catalogue catalogue_;
  std::filesystem::path settingsFolder_;
  std::vector<std::filesystem::path> arguments_;
  std::filesystem::path rememberedFolder_;
  std::filesystem::path currentFolder_;
  MediaReaders readers_;

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
  std::array<FileListModel*, kFormatCount> fileModels_{};
  NameConflictWatch* nameConflicts_ = nullptr;
  std::array<TagTableModel*, kTagKindCount> tagModels_{};

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
  SaveTag* saveTag_ = nullptr;
  // What the unsaved-changes question's 保存 continues with, whether the
  // last save failed for any file or was cancelled, and a close that was
  // answered already.
  std::function<void()> afterSave_;
  bool lastSaveFailed_ = false;
  bool closeConfirmed_ = false;

  // Workers (at most one runs) and the path list kept while busy.
  QPointer<FileLoadWorker> loader_;
  QPointer<FileReloadWorker> reloader_;
  bool cursorOverridden_ = false;
  // Enabled states of the menu items switched off by BeginWork.
  std::vector<std::pair<QPointer<QAction>, bool>> lockedActions_;
  std::optional<std::vector<std::filesystem::path>> pendingPathList_;
  // The list (file list or tag table) whose header carries the sort mark,
  // and the mark's column; only one column of all lists carries it.
  CatalogueTableModel* sortedModel_ = nullptr;
  int sortedColumn_ = -1;
  int sortKey_ = -1;
  TagTableController* tables_ = nullptr;

  CellCommands* cells_ = nullptr;
  ToolCommands* tools_ = nullptr;
  RenamePatternCommands* renames_ = nullptr;
  ListWindowCommands* listWindow_ = nullptr;
  OptionCommands* options_ = nullptr;
  TagRowDrag* rowDrag_ = nullptr;
};

}  // namespace hozanki
