#pragma once
// `TFormMain`, the main window: folder tree, the eight file lists, the eleven
// tag tables, the status bar, the menus, the two editing modes and the
// coupling of file pages and tag pages. Its code is split by job:
// FormMain.cpp (modes, pages, idle, closing), FormMainLayout.cpp (controls),
// FormMainMenus.cpp (menu bar and popups), FormMainSettings.cpp (FormCreate
// and FormClose: reading and writing "NR284.ini").

#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <array>
#include <filesystem>

#include "core/catalogue/Catalogue.h"

class QAbstractItemModel;
class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QTableView;
class QTreeView;

namespace hozanki {

class FileListModel;
class StatusBarPanels;
class TagTableController;
class TagTableModel;

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  // `arguments` are the command-line paths, handled at the first idle moment.
  explicit TFormMain(const QStringList& arguments = {}, QWidget* parent = nullptr);
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
  QTableView* FileList(int page) const { return listViewF_[static_cast<size_t>(page)]; }
  QTableView* TagTable(int page) const { return listViewT_[static_cast<size_t>(page)]; }
  // The popup menu a list shows at the moment.
  QMenu* PopupOf(QTableView* view) const;
  // The settings folder this window reads and writes.
  const std::filesystem::path& SettingsFolderPath() const { return settingsFolder_; }
  // The tag tables' behaviour and the in-place editors.
  TagTableController& Tables() const { return *tables_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

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

 private:
  friend class TagTableController;

  // FormMainLayout.cpp
  void BuildLayout();
  QTableView* MakeList(const QString& name, QAbstractItemModel* model, int markWidth);
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
  void SwitchMode(QAction* item);
  void HookIdle();
  void UnhookIdle();
  QTableView* ActiveFileList() const;
  QTableView* ActiveTagTable() const;
  void SetPopup(QTableView* view, QMenu* popup);
  void RunSync(int request);

  Catalogue catalogue_;
  std::filesystem::path settingsFolder_;
  QStringList arguments_;

  // Controls, named as their objectName.
  QWidget* PanelU = nullptr;
  QWidget* PanelUL = nullptr;
  QComboBox* DriveComboBox = nullptr;
  QTreeView* DirectoryTreeView = nullptr;
  QSplitter* SplitterFile = nullptr;
  QTabWidget* PageControlF = nullptr;
  QSplitter* SplitterUD = nullptr;
  QTabWidget* PageControlT = nullptr;
  StatusBarPanels* StatusBar = nullptr;
  QLineEdit* EditListView = nullptr;
  QLineEdit* EditListViewCopy = nullptr;
  QComboBox* ComboBoxListView = nullptr;
  QPlainTextEdit* MemoListView = nullptr;
  std::array<QTableView*, kFormatCount> listViewF_{};
  std::array<QTableView*, kTagKindCount> listViewT_{};
  std::array<FileListModel*, kFormatCount> fileModels_{};
  std::array<TagTableModel*, kTagKindCount> tagModels_{};

  // Menus.
  QAction* MenuFileModeR = nullptr;
  QAction* MenuFileModeT = nullptr;
  QAction* MenuCancel = nullptr;
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
  TagTableController* tables_ = nullptr;
};

}  // namespace hozanki
