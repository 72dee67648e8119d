// TFormMain: the window's side of the folder session: the busy state on the
// menus and panels, the tab captions, the status bar, "保存(&S)",
// "再読込み(&R)" and "キャンセル(&C)"; the drive box and the folder tree
// (`DriveComboBoxChange`, `DirectoryTreeViewDblClick`), and path lists
// dropped on the window (`WM_DROPFILES`).

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStyle>
#include <QTabWidget>
#include <QTreeView>

#include "core/catalogue/FolderScan.h"
#include "core/tagedit/SaveEngine.h"
#include "gui/app/FileListController.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/DriveBox.h"
#include "gui/catalogue/FileDragOut.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/FolderTree.h"
#include "gui/catalogue/NameConflictWatch.h"
#include "gui/tagedit/FormSaveErrors.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/tagedit/TagTableModel.h"

namespace hozanki {

namespace {

QString TabCaption(int page) {
  const std::string_view name = FormatName(static_cast<MediaFormat>(page));
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// Folder images: 0 for the chain down to the current folder, 1 for its
// subfolders.
void SetFolderImages(QStandardItem* item, const QIcon& chain, const QIcon& subfolder) {
  item->setIcon(item->data(kFolderImageRole).toInt() == 0 ? chain : subfolder);
  for (int row = 0; row < item->rowCount(); ++row) SetFolderImages(item->child(row), chain, subfolder);
}

// Lists the files a save could not handle with their reasons (modeless).
void ShowSaveErrors(QWidget* window, const QString& summary, const std::vector<SaveFailure>& failures) {
  // One list at a time: a later save's failures replace an earlier one's.
  auto* form = window->findChild<TFormSaveErrors*>(QString(), Qt::FindDirectChildrenOnly);
  if (!form) {
    form = new TFormSaveErrors(window);
    form->setAttribute(Qt::WA_DeleteOnClose);
  }
  form->SetFailures(summary, failures);
  form->show();
  form->raise();
}

}  // namespace

void TFormMain::ConnectSession() {
  FolderSession* session = session_.get();
  connect(session, &FolderSession::BusyChanged, this, [this](BusyState now, BusyState before) {
    if (now != BusyState::None) {
      busyLock_.Lock(ui_, now);
      nameConflicts_->SetSuspended(true);
      return;
    }
    busyLock_.Unlock(ui_, IsRenameMode() ? QStringLiteral("リネーム") : QStringLiteral("タグ編集"));
    nameConflicts_->SetSuspended(false);
    if (before == BusyState::Loading) {
      ui_.StatusBar->SetPanelText(1, QStringLiteral("0 / %1").arg(session_->Data().RowCount(
                                     static_cast<MediaFormat>(ui_.PageControlF->currentIndex()))));
      ui_.DirectoryTreeView->setFocus();
    } else if (before == BusyState::Reloading) {
      RunSync(1);  // also rewrites status-bar panel 1: selected / total
    }
  });
  connect(session, &FolderSession::FolderOpening, this, [this](const std::filesystem::path& folder) {
    ShowFolder(folder);
    ResetTabs();
  });
  connect(session, &FolderSession::RowsListed, this, &TFormMain::MarkTabs);
  connect(session, &FolderSession::StatusText, ui_.StatusBar, &StatusBarPanels::SetPanelText);
  connect(session, &FolderSession::RenameFailed, this,
          [this](MediaFormat format) { ui_.PageControlF->setCurrentIndex(static_cast<int>(format)); });
  connect(session, &FolderSession::SaveFailed, this,
          [this](const QString& summary, const std::vector<SaveFailure>& failures) {
            // A failure must not look like success: it stays in panel 0, and
            // the files with their reasons are listed.
            ui_.StatusBar->SetPanelText(0, summary);
            ShowSaveErrors(this, summary, failures);
          });
}

void TFormMain::ResetTabs() {
  fileLists_->ForgetSortMark();
  for (int f = 0; f < kFormatCount; ++f) {
    ui_.PageControlF->setTabText(f, TabCaption(f));
    for (int column = 1; column <= 4; ++column)
      fileModels_[static_cast<size_t>(f)]->SetSortMark(column, QLatin1Char(' '));
    ui_.listViewF[static_cast<size_t>(f)]->SetTag(FileListView::kIdle);
  }
  for (const auto& model : tagModels_)
    for (int column = 1; column < model->columnCount(); ++column)
      model->SetSortMark(column, QLatin1Char(' '));
}

void TFormMain::MarkTabs() {
  int first = -1;
  for (int f = 0; f < kFormatCount; ++f) {
    if (session_->Data().RowCount(static_cast<MediaFormat>(f)) == 0) continue;
    ui_.PageControlF->setTabText(f, TabCaption(f) + QStringLiteral(" *"));
    if (first < 0) first = f;
  }
  // The page shown has no rows: the first page with rows (PageControlFChange).
  if (first >= 0 && session_->Data().RowCount(static_cast<MediaFormat>(ui_.PageControlF->currentIndex())) == 0)
    ui_.PageControlF->setCurrentIndex(first);
}

void TFormMain::MenuFileSaveClick() {
  session_->Save();
}

void TFormMain::MenuFileReloadClick() {
  session_->AfterStagedEdits([this] { session_->StartReload(false); });
}

void TFormMain::MenuCancelClick() {
  ui_.MenuCancel->setEnabled(false);
  session_->Cancel();
}

bool TFormMain::CloseQueryStagedEdits(QCloseEvent* event) {
  if (closeConfirmed_) return true;
  // 保存: the window closes once the save wrote everything.
  if (session_->MayDropStagedEdits([this] {
        closeConfirmed_ = true;
        close();
      }))
    return true;
  event->ignore();
  return false;
}

void TFormMain::ShowFolder(const std::filesystem::path& folder) {
  // The drive box follows without starting a load (its signals are blocked);
  // it is filled again so that file systems mounted meanwhile appear.
  FillDriveBox(*ui_.DriveComboBox, folder);

  ui_.DirectoryTreeView->setUpdatesEnabled(false);
  const QModelIndex current = BuildFolderTree(*ui_.folderModel, folder);
  const QIcon chain = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon subfolder = style()->standardIcon(QStyle::SP_DirClosedIcon);
  for (int row = 0; row < ui_.folderModel->rowCount(); ++row)
    SetFolderImages(ui_.folderModel->item(row), chain, subfolder);
  ui_.DirectoryTreeView->expandAll();
  ui_.DirectoryTreeView->setCurrentIndex(current);
  ui_.DirectoryTreeView->setUpdatesEnabled(true);
  ui_.DirectoryTreeView->scrollTo(current);

  ui_.StatusBar->SetPanelText(0, QString::fromStdString(FolderPanelText(folder)));
}

void TFormMain::DirectoryTreeViewDblClick(const QModelIndex& index, bool shift) {
  if (!index.isValid() || IsBusy()) return;
  const LoadRequest request{FolderOfNode(index), shift, std::nullopt};
  session_->AfterStagedEdits([this, request] { session_->OpenFolder(request); });
}

void TFormMain::DriveComboBoxChange(int index) {
  if (IsBusy()) return;
  // Choosing the drive of the current folder does nothing.
  std::optional<std::filesystem::path> root = DriveToOpen(*ui_.DriveComboBox, index, session_->CurrentFolder());
  if (!root) return;
  bool opened = false;
  session_->AfterStagedEdits([this, &opened, folder = *root] {
    opened = true;
    session_->OpenFolder(LoadRequest{folder, false, std::nullopt});
  });
  // Kept edits: the box shows the current folder's drive again.
  if (!opened) FillDriveBox(*ui_.DriveComboBox, session_->CurrentFolder());
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_.DirectoryTreeView->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) {
      const QModelIndex index = ui_.DirectoryTreeView->indexAt(mouse->position().toPoint());
      if (index.isValid()) ui_.DirectoryTreeView->setCurrentIndex(index);
      DirectoryTreeViewDblClick(index, mouse->modifiers() & Qt::ShiftModifier);
      return true;
    }
  }
  // The in-place editors handle the copy box's keys and its exit.
  if (watched == ui_.EditListViewCopy) return false;
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
  session_->OpenPathList(paths);
}

}  // namespace hozanki
