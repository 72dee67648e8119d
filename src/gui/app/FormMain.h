#pragma once
// `TFormMain`, the main window: the layout (`MainWindowControls`), the menus'
// wiring, the two editing modes and the coupling of file pages and tag pages.
// The rest is its controllers': `FolderSession`, `FolderPanel`,
// `FileListController`, `TagTableController` and the `FeatureControllers`.
// Its code is split by job over FormMain*.cpp, each file saying at its head
// which job it holds.

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "gui/app/BusyWindowLock.h"
#include "gui/app/EditMode.h"
#include "gui/app/FeatureControllers.h"
#include "gui/app/FolderSession.h"
#include "gui/app/MainWindowControls.h"
#include "gui/catalogue/FileListView.h"

class QMenu;
class QTableView;

namespace hozanki {

class FileListController;
class FileListModel;
class FolderPanel;
class NameConflictWatch;
class TagTableController;
class TagTableModel;

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
  FileListView* FileList(int page) const { return ui_.listViewF[static_cast<size_t>(page)]; }
  QTableView* TagTable(int page) const { return ui_.listViewT[static_cast<size_t>(page)]; }
  // The popup menu a list shows at the moment.
  QMenu* PopupOf(QTableView* view) const;
  // The settings folder this window reads and writes.
  const std::filesystem::path& SettingsFolderPath() const { return session_->SettingsFolder(); }
  // A save, load or reload runs (the session's busy state).
  bool IsBusy() const { return session_->IsBusy(); }
  // The folder the rows are relative to (status-bar panel 0 shows it).
  const std::filesystem::path& CurrentFolder() const { return session_->CurrentFolder(); }

  // The controllers. The tag tables' behaviour and the in-place editors; the
  // file lists' (sorting, the copy box, rename mode's editor); the collisions
  // of staged file names, as the file lists show them.
  TagTableController& Tables() const { return *tables_; }
  FileListController& FileLists() const { return *fileLists_; }
  NameConflictWatch& NameConflicts() const { return *nameConflicts_; }
  // The feature controllers (FormMainWiring.cpp makes them).
  CellCommands& Cells() const { return *features_.cells; }
  RenamePatternCommands& Renames() const { return *features_.renames; }
  ListWindowCommands& ListWindow() const { return *features_.listWindow; }
  OptionCommands& Options() const { return *features_.options; }
  ToolCommands& Tools() const { return *features_.tools; }
  TagRowDrag& RowDrag() const { return *features_.rowDrag; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;  // FormMainSettings.cpp
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MenuFileModeClick();
  void PageControlFChange(int page);
  void PageControlTChange(int page);
  void ApplicationEventsIdle();
  void MenuEditSelectAllClick();
  void ListContextMenu(const QPoint& position);
  // FormMainLayout.cpp, FormMainMenus.cpp
  void BuildLayout();
  void BuildMenus();
  void BuildPopups();
  // "エディタ(&E)" of the Edit menu follows the mode and the edit column.
  void UpdateEditorItem();
  // FormMainSettings.cpp
  void FormCreate();
  void FormClose();
  void ApplyFont(const QString& storedName);
  void MeasureRowGeometry();
  // FormMain.cpp (SwitchMode: the menu's check marks and F5 follow), and
  // FormMainFolders.cpp (CloseQueryStagedEdits: false when the window stays).
  void SwitchMode(EditMode mode);
  void HookIdle();
  void UnhookIdle();
  QTableView* ActiveFileList() const;
  QTableView* ActiveTagTable() const;
  void RunSync(int request);
  bool CloseQueryStagedEdits(QCloseEvent* event);
  void RunStartAction();
  void SetUpListControllers();
  void ConnectSession();
  void SetUpFeatures();  // FormMainWiring.cpp
  // FormMainKeyboard.cpp
  void SetUpKeyboard();
  bool KeyboardEvent(QObject* watched, QEvent* event);

  // Declared first, so it goes last: the models and the name watch that
  // observe its catalogue go before it.
  std::unique_ptr<FolderSession> session_;
  std::vector<std::filesystem::path> arguments_;
  MainWindowControls ui_;
  std::unique_ptr<NameConflictWatch> nameConflicts_;
  std::array<std::unique_ptr<FileListModel>, kFormatCount> fileModels_;
  std::array<std::unique_ptr<TagTableModel>, kTagKindCount> tagModels_;

  // Window state.
  // A window that starts maximised has not shown its normal geometry yet:
  // until it does, that geometry is the stored one (FormMainSettings.cpp).
  std::optional<QRect> unshownNormalBounds_;
  std::array<int, kTagKindCount> editColumn_{};
  int lastMp3TagPage_ = 1;
  int syncRequest_ = -1;
  int firstRowOffset_ = 0;
  int rowPitch_ = 0;
  QTimer idleTimer_;
  EditMode mode_ = EditMode::Tag;
  bool closeConfirmed_ = false;  // a close the unsaved-changes question answered already
  BusyWindowLock busyLock_;
  // Declared after the models and the session: they go first, so an editor
  // open at the end stores nothing into a catalogue that is gone.
  std::unique_ptr<TagTableController> tables_;
  std::unique_ptr<FileListController> fileLists_;
  // Children of the window (Qt deletes them).
  FolderPanel* folderPanel_ = nullptr;
  FeatureControllers features_;
};

}  // namespace hozanki
