// TFormMain: the drive box and the folder tree (`DriveComboBoxChange`,
// `DirectoryTreeViewDblClick`), status-bar panel 0, and path lists dropped
// on the window (`WM_DROPFILES`).

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStyle>
#include <QTreeView>

#include "core/catalogue/FolderScan.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/DriveBox.h"
#include "gui/catalogue/FileDragOut.h"
#include "gui/catalogue/FolderTree.h"

namespace hozanki {

namespace {

// Folder images: 0 for the chain down to the current folder, 1 for its
// subfolders.
void SetFolderImages(QStandardItem* item, const QIcon& chain, const QIcon& subfolder) {
  item->setIcon(item->data(kFolderImageRole).toInt() == 0 ? chain : subfolder);
  for (int row = 0; row < item->rowCount(); ++row) SetFolderImages(item->child(row), chain, subfolder);
}

}  // namespace

void TFormMain::ShowFolder(const std::filesystem::path& folder) {
  // The drive box follows without starting a load (its signals are blocked);
  // it is filled again so that file systems mounted meanwhile appear.
  FillDriveBox(*DriveComboBox, folder);

  DirectoryTreeView->setUpdatesEnabled(false);
  const QModelIndex current = BuildFolderTree(*folderModel_, folder);
  const QIcon chain = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon subfolder = style()->standardIcon(QStyle::SP_DirClosedIcon);
  for (int row = 0; row < folderModel_->rowCount(); ++row)
    SetFolderImages(folderModel_->item(row), chain, subfolder);
  DirectoryTreeView->expandAll();
  DirectoryTreeView->setCurrentIndex(current);
  DirectoryTreeView->setUpdatesEnabled(true);
  DirectoryTreeView->scrollTo(current);

  StatusBar->SetPanelText(0, QString::fromStdString(FolderPanelText(folder)));
}

void TFormMain::DirectoryTreeViewDblClick(const QModelIndex& index, bool shift) {
  if (!index.isValid() || IsBusy()) return;
  const LoadRequest request{FolderOfNode(index), shift, std::nullopt};
  AfterStagedEdits([this, request] { OpenFolder(request); });
}

void TFormMain::DriveComboBoxChange(int index) {
  if (IsBusy()) return;
  // Choosing the drive of the current folder does nothing.
  std::optional<std::filesystem::path> root = DriveToOpen(*DriveComboBox, index, currentFolder_);
  if (!root) return;
  bool opened = false;
  AfterStagedEdits([this, &opened, folder = *root] {
    opened = true;
    OpenFolder(LoadRequest{folder, false, std::nullopt});
  });
  // Kept edits: the box shows the current folder's drive again.
  if (!opened) FillDriveBox(*DriveComboBox, currentFolder_);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == DirectoryTreeView->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) {
      const QModelIndex index = DirectoryTreeView->indexAt(mouse->position().toPoint());
      if (index.isValid()) DirectoryTreeView->setCurrentIndex(index);
      DirectoryTreeViewDblClick(index, mouse->modifiers() & Qt::ShiftModifier);
      return true;
    }
  }
  if (watched == EditListViewCopy) return EditListViewCopyEvent(event);
  if (KeyboardEvent(watched, event)) return true;
  return QMainWindow::eventFilter(watched, event);
}

// Files dropped from other programs open as a path list; our own drags and
// drops while a worker runs are refused (the pointer shows it).
void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
  if (!IsBusy() && !DroppedPaths(event->mimeData()).empty())
    event->acceptProposedAction();
  else
    event->ignore();
}

void TFormMain::dragMoveEvent(QDragMoveEvent* event) {
  if (!IsBusy() && !DroppedPaths(event->mimeData()).empty())
    event->acceptProposedAction();
  else
    event->ignore();
}

void TFormMain::dropEvent(QDropEvent* event) {
  std::vector<std::filesystem::path> paths = DroppedPaths(event->mimeData());
  if (IsBusy() || paths.empty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  activateWindow();
  raise();
  OpenPathList(paths);
}

}  // namespace hozanki
