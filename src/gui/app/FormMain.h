#pragma once
// `TFormMain`, the main window: folder tree, the eight file lists, the eleven
// tag tables, the status bar, the menus, the two editing modes and the
// coupling of file pages and tag pages. The folder, its catalogue and the
// workers are `FolderSession`'s; the file lists' and the tag tables'
// behaviour is `FileListController`'s and `TagTableController`'s. Its code is
// split by job: FormMain.cpp (modes, pages, idle, closing, the list
// controllers' hosts), FormMainLayout.cpp (controls), FormMainMenus.cpp (menu
// bar and popups), FormMainSettings.cpp (FormCreate and FormClose: reading
// and writing "NR284.ini"), FormMainFolders.cpp (the session's busy state on
// the window, save, reload and cancel, drive box, folder tree, path lists
// dropped), FormMainEdit.cpp (copy, paste, set-all, clear,
// undo), FormMainTextCommands.cpp (replace, regular expression, substring),
// FormMainRenamePatterns.cpp (fixed-form rename patterns and their window),
// FormMainCompound.cpp (compound edits: submenus, running, their window),
// FormMainListOut.cpp (the list window), FormMainOptions.cpp (the options
// dialog), FormMainTools.cpp (user tools, the player, the external editor),
// FormMainRowDrag.cpp (dragging rows of the tag tables), FormMainKeyboard.cpp
// (keys that walk the window).

#include <QKeySequence>
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
#include "core/listout/PickedFile.h"
#include "gui/app/EditMode.h"
#include "gui/app/FolderSession.h"
#include "core/text/Compound.h"
#include "core/rename/RenamePattern.h"
#include "gui/catalogue/FileListView.h"
#include "gui/options/FormOption.h"
#include "gui/tools/ProgramStarter.h"

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

class FileListModel;
class FileListController;
class NameConflictWatch;
struct EditTarget;
struct SaveFailure;
class StatusBarPanels;
class TagTableController;
class TagRowDrag;
class TagTableModel;
class TFormRegexp;
class TFormReplace;
class TFormSubstr;
class TFormRename;
class TFormListMain;

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

  // FormMainCompound.cpp
  // The compound edits offered by the "複合編集(&M)" submenus.
  const std::vector<CompoundEdit>& CompoundStore() const { return compoundStore_; }
  // `PopupMultiClick`: runs compound edit `index` on the selected cells of
  // the edit column (rename mode: the whole file names).
  void PopupMultiClick(int index);
  // `MenuOptionMulti`: opens the compound edit window (or raises it).
  void MenuOptionMultiClick();
  // Writes "NR284Cnv.dat", replaces the store and rebuilds both submenus.
  // Refused (with `error`) when the file could not be read at start: its
  // compound edits, never shown, would be lost.
  bool StoreCompoundEdits(const std::vector<CompoundEdit>& edits, std::string* error);
  // While a modeless window is open, Ctrl+C, Ctrl+V and Ctrl+Z are its own.
  void DropEditShortcuts();
  void RestoreEditShortcuts();
  // FormMainRenamePatterns.cpp
  // The fixed-form rename patterns, read at start, replaced when the pattern
  // window saves (the submenu is then rebuilt on its next opening).
  const RenamePatternStore& RenamePatterns() const { return renamePatterns_; }
  // Why "NR284Ren.dat" could not be read at start ("" when it could or was
  // missing): the pattern window then refuses to save over it.
  const std::string& RenamePatternsReadError() const { return renamePatternsReadError_; }
  void ReplaceRenamePatterns(RenamePatternStore store);
  // `PopupRFormClick`: applies pattern `index` of the active file page's
  // format to the selected rows (all rows when none is selected).
  void PopupRFormClick(int index);
  // Opens the pattern window `TFormRename` (or raises the open one).
  TFormRename* OpenFormRename();
  TFormRename* FormRenameWindow() const;
  int ActiveFilePage() const;
  // FormMainListOut.cpp
  // The list window, made on first use when `create`; kept until the end.
  TFormListMain* FormListMainWindow(bool create = false);
  // `MenuFileListOutClick`: shows the list window.
  TFormListMain* OpenFormListMain();
  // `PopupFListOutClick`: the list window on its first page, with the
  // selected files of the active file list picked into it.
  void PopupFListOutClick();
  // The selected files of the active file list as list window records.
  std::vector<PickedFile> PickSelectedFiles() const;
  // FormMainOptions.cpp
  // "動作環境(&E)": the options dialog, modal; OK applies its settings.
  void MenuOptionGeneralClick();
  // The options applied at once: memo height, font, colours and the rest.
  void ApplyOptions(const AppSettings& options);
  // The desktop dialogs the options dialog uses (tests put their own in).
  void SetOptionDialogs(OptionDialogs dialogs) { optionDialogs_ = std::move(dialogs); }
  // FormMainTools.cpp
  // "ツール(&T)" of the Option menu and "設定(&O)" of the tool submenu.
  void MenuOptionToolClick();
  // A tool entry: its program on the selected files of the active file list.
  void MenuEditToolClick(QAction* item);
  // "再生(&P)": the format's player, or the focused file opened by the desktop.
  void PopupFPlayClick();
  // "エディタ(&E)": the edit column of the selected rows in the text editor.
  void PopupEditorClick();
  // How programs start and the program file dialog (tests put their own in).
  void SetProgramStarter(ProgramStarter starter) { programStarter_ = std::move(starter); }
  void SetProgramDialog(std::function<QString(QWidget*, const QString&)> dialog) {
    openProgram_ = std::move(dialog);
  }
  // Dragging rows of the tag tables.
  TagRowDrag& RowDrag() const { return *rowDrag_; }
  // The names (relative to the current folder) of the selected files of a
  // file list, in list order.
  std::vector<std::string> SelectedFileNames(int page) const;

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
  // FormMainEdit.cpp
  void MenuEditCopyClick();
  void MenuEditPasteClick();
  void MenuEditUndoClick();
  void PopupCopyClick();
  void PopupPasteClick();
  void PopupTSetAllClick();
  void PopupTClearClick();
  void PopupConvertClick(int kind);
  // FormMainTextCommands.cpp
  void PopupReplaceClick();
  void PopupRegexpClick();
  void PopupSubstrClick();
  // FormMainRepair.cpp: "文字コード修復…" (`fromFileList`: the file list's
  // selection, else the tag table's).
  void RepairClick(bool fromFileList);
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
  void AddToolItems();
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
  // FormMainEdit.cpp
  void ConnectEditCommands();
  EditTarget CurrentTarget(bool fromFileList) const;
  std::vector<int> SelectedRowsOf(QTableView* view, bool selectAllWhenNone) const;
  void CopyFrom(bool fromFileList);
  void PasteInto(bool intoFileList);
  void UndoIn(bool inFileList);
  // FormMainCompound.cpp
  void SetUpCompoundEdits();
  void BuildCompoundMenus();
  std::optional<std::string> CompoundCheckCell() const;
  // Closes the compound edit window (its changes are dropped) at once.
  void CloseCompoundWindow();
  // FormMainRepair.cpp
  void SetUpRepairCommand();
  // FormMainTextCommands.cpp
  void ConnectTextCommands();
  bool HasTextCommandTarget() const;
  // Stores compute(cell) into every row open to editing of the selected (or,
  // with none selected or `selectAll`, all) rows where it differs. A row
  // whose compute sets its error text keeps its cell and is reported.
  void ApplyTextCommand(bool selectAll,
                        const std::function<std::string(const std::string&, std::string& error)>& compute);
  // A message box naming each row (index into the target's entries) that a
  // text command could not handle, and why; nothing for an empty list.
  void ReportTextCommandFailures(const EditTarget& target,
                                 const std::vector<std::pair<int, std::string>>& failures);
  // FormMain.cpp
  void RunStartAction();
  // The tag-table and file-list controllers with their hosts, and the menu
  // items they serve.
  void SetUpListControllers();
  // FormMainRenamePatterns.cpp
  void SetUpRenamePatterns();
  void PopupRPopup();
  void FormRenameClosed();
  // FormMainListOut.cpp
  void SetUpListOut();
  // FormMainOptions.cpp
  void SetUpOptions();
  // FormMainTools.cpp
  void SetUpTools();
  void RebuildToolItems();
  // FormMainRowDrag.cpp
  void SetUpRowDrag();
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

  // Compound edits and their window; the shortcuts taken while it is open.
  std::vector<CompoundEdit> compoundStore_;
  std::string compoundStoreReadError_;
  QPointer<QWidget> formMulti_;
  int shortcutDrops_ = 0;
  std::vector<std::pair<QPointer<QAction>, QKeySequence>> droppedShortcuts_;
  // The dialogs of the text commands, made on first use.
  TFormReplace* formReplace_ = nullptr;
  TFormRegexp* formRegexp_ = nullptr;
  TFormSubstr* formSubstr_ = nullptr;
  // Fixed-form rename patterns, the open pattern window and the shortcuts it
  // took from the Edit menu.
  RenamePatternStore renamePatterns_;
  std::string renamePatternsReadError_;
  QPointer<TFormRename> formRename_;
  // The list window, kept from its first use.
  QPointer<TFormListMain> formListMain_;
  OptionDialogs optionDialogs_;
  ProgramStarter programStarter_;
  TagRowDrag* rowDrag_ = nullptr;
  // The external editor is being waited for.
  bool editorRunning_ = false;
  std::function<QString(QWidget*, const QString&)> openProgram_;
};

}  // namespace hozanki
