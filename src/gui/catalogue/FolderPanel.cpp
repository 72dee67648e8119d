#include "gui/catalogue/FolderPanel.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStyle>
#include <QTreeView>
#include <QWidget>

#include "core/catalogue/FolderScan.h"
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

// A drag from another program that carries paths, while nothing runs.
template <typename Event>
void AcceptPathsUnlessBusy(Event* event, bool busy) {
  if (!busy && !DroppedPaths(event->mimeData()).empty())
    event->acceptProposedAction();
  else
    event->ignore();
}

}  // namespace

FolderPanel::FolderPanel(QTreeView* tree, QStandardItemModel* folderModel, QComboBox* driveBox,
                         FolderPanelHost host, QObject* parent)
    : QObject(parent), tree_(tree), folderModel_(folderModel), driveBox_(driveBox), host_(std::move(host)) {
  connect(driveBox_, &QComboBox::activated, this, &FolderPanel::DriveComboBoxChange);
  driveBox_->installEventFilter(this);
  tree_->installEventFilter(this);
  tree_->viewport()->installEventFilter(this);
}

void FolderPanel::ShowFolder(const std::filesystem::path& folder) {
  // The drive box follows without starting a load (its signals are blocked);
  // it is filled again so that file systems mounted meanwhile appear.
  FillDriveBox(*driveBox_, folder);

  tree_->setUpdatesEnabled(false);
  const QModelIndex current = BuildFolderTree(*folderModel_, folder);
  const QIcon chain = tree_->style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon subfolder = tree_->style()->standardIcon(QStyle::SP_DirClosedIcon);
  for (int row = 0; row < folderModel_->rowCount(); ++row)
    SetFolderImages(folderModel_->item(row), chain, subfolder);
  tree_->expandAll();
  tree_->setCurrentIndex(current);
  tree_->setUpdatesEnabled(true);
  tree_->scrollTo(current);

  if (host_.showFolderText) host_.showFolderText(QString::fromStdString(FolderPanelText(folder)));
}

void FolderPanel::DirectoryTreeViewDblClick(const QModelIndex& index, bool shift) {
  if (!index.isValid() || host_.busy()) return;
  const LoadRequest request{FolderOfNode(index), shift, std::nullopt};
  host_.afterStagedEdits([this, request] { host_.openFolder(request); });
}

void FolderPanel::DriveComboBoxChange(int index) {
  if (host_.busy()) return;
  // Choosing the drive of the current folder does nothing.
  std::optional<std::filesystem::path> root = DriveToOpen(*driveBox_, index, host_.currentFolder());
  if (!root) return;
  bool opened = false;
  host_.afterStagedEdits([this, &opened, folder = *root] {
    opened = true;
    host_.openFolder(LoadRequest{folder, false, std::nullopt});
  });
  // Kept edits: the box shows the current folder's drive again.
  if (!opened) FillDriveBox(*driveBox_, host_.currentFolder());
}

void FolderPanel::DragEnter(QDragEnterEvent* event) {
  AcceptPathsUnlessBusy(event, host_.busy());
}

void FolderPanel::DragMove(QDragMoveEvent* event) {
  AcceptPathsUnlessBusy(event, host_.busy());
}

void FolderPanel::Drop(QDropEvent* event) {
  std::vector<std::filesystem::path> paths = DroppedPaths(event->mimeData());
  if (host_.busy() || paths.empty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  if (host_.window) {
    host_.window->activateWindow();
    host_.window->raise();
  }
  host_.openPathList(paths);
}

bool FolderPanel::eventFilter(QObject* watched, QEvent* event) {
  // A closed drive box would open the next drive at once on an arrow key or
  // the wheel: the keys open its list instead, where Enter or a click
  // chooses; the wheel does nothing.
  if (watched == driveBox_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
      case Qt::Key_Home:
      case Qt::Key_End:
        if (!(key->modifiers() & Qt::ControlModifier)) driveBox_->showPopup();
        return true;
      default:
        return false;
    }
  }
  if (watched == driveBox_ && event->type() == QEvent::Wheel) return true;
  if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    const QModelIndex index = tree_->indexAt(mouse->position().toPoint());
    if (index.isValid()) tree_->setCurrentIndex(index);
    DirectoryTreeViewDblClick(index, mouse->modifiers() & Qt::ShiftModifier);
    return true;
  }
  if (watched == tree_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      DirectoryTreeViewDblClick(tree_->currentIndex(), key->modifiers() & Qt::ShiftModifier);
      return true;
    }
  }
  return false;
}

}  // namespace hozanki
