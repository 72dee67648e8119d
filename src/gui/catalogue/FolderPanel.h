#pragma once
// `FolderPanel`: the upper-left panel and the path lists dropped on the
// window. The drive box (`DriveComboBoxChange`: choosing an entry, by Enter
// or a click in its list, opens its root; arrow keys on the closed box only
// open the list; choosing the current drive does nothing, and when the user
// keeps unsaved edits the box shows the current folder's drive again), the folder
// tree (`ShowFolder` builds it around the folder being opened;
// `DirectoryTreeViewDblClick` on a node, or Enter, opens that folder, with
// Shift also its subfolders), and files dropped from other programs
// (`WM_DROPFILES`), which open as a path list. Nothing opens while the
// folder's work runs; a drop is then refused and the pointer shows it.

#include <QObject>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/catalogue/LoadEngine.h"

class QComboBox;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QModelIndex;
class QStandardItemModel;
class QString;
class QTreeView;
class QWidget;

namespace hozanki {

// What the panel needs of the window and the folder session.
struct FolderPanelHost {
  std::function<bool()> busy;
  std::function<std::filesystem::path()> currentFolder;
  // Runs `then` unless the user keeps the unsaved edits.
  std::function<void(std::function<void()> then)> afterStagedEdits;
  std::function<void(const LoadRequest&)> openFolder;
  std::function<void(const std::vector<std::filesystem::path>&)> openPathList;
  // Status-bar panel 0: the folder shown.
  std::function<void(const QString&)> showFolderText;
  // Activated and raised when a drop is taken (none: left alone).
  QWidget* window = nullptr;
};

class FolderPanel : public QObject {
  Q_OBJECT

 public:
  FolderPanel(QTreeView* tree, QStandardItemModel* folderModel, QComboBox* driveBox, FolderPanelHost host,
              QObject* parent = nullptr);

  // The tree around `folder` (fully expanded, its node current), the drive
  // box refilled without starting a load, panel 0's text.
  void ShowFolder(const std::filesystem::path& folder);
  // Opens the folder of `index`; `shift`: with its subfolders.
  void DirectoryTreeViewDblClick(const QModelIndex& index, bool shift);
  // The drive box's entry `index` was chosen.
  void DriveComboBoxChange(int index);

  // The window's drag and drop events, forwarded.
  void DragEnter(QDragEnterEvent* event);
  void DragMove(QDragMoveEvent* event);
  void Drop(QDropEvent* event);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTreeView* tree_;
  QStandardItemModel* folderModel_;
  QComboBox* driveBox_;
  FolderPanelHost host_;
};

}  // namespace hozanki
