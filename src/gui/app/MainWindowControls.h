#pragma once
// `MainWindowControls`: the main window's controls and menus, named as their
// objectName. FormMainLayout.cpp builds the controls, FormMainMenus.cpp the
// menu bar and the popups; the window owns them all through Qt's parents, so
// this struct only points at them.

#include <array>

#include "core/common/FormatRegistry.h"

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
class QWidget;

namespace hozanki {

class FileListView;
class StatusBarPanels;

struct MainWindowControls {
  // Controls.
  QWidget* PanelU = nullptr;
  QWidget* PanelUL = nullptr;
  QComboBox* DriveComboBox = nullptr;
  QTreeView* DirectoryTreeView = nullptr;
  QStandardItemModel* folderModel = nullptr;
  QSplitter* SplitterFile = nullptr;
  QTabWidget* PageControlF = nullptr;
  QSplitter* SplitterUD = nullptr;
  QTabWidget* PageControlT = nullptr;
  StatusBarPanels* StatusBar = nullptr;
  QLineEdit* EditListView = nullptr;
  QLineEdit* EditListViewCopy = nullptr;
  QComboBox* ComboBoxListView = nullptr;
  QPlainTextEdit* MemoListView = nullptr;
  std::array<FileListView*, kFormatCount> listViewF{};
  std::array<QTableView*, kTagKindCount> listViewT{};

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
};

}  // namespace hozanki
