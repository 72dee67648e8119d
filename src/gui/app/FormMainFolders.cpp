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

}  // namespace

void TFormMain::ConnectSession() {
  FolderSession* session = session_.get();
  connect(session, &FolderSession::BusyChanged, this, [this](BusyState now, BusyState before) {
    if (now != BusyState::None) {
      BeginWork(now);
      return;
    }
    EndWork();
    if (before == BusyState::Loading) {
      StatusBar->SetPanelText(1, QStringLiteral("0 / %1").arg(catalogue_.RowCount(
                                     static_cast<MediaFormat>(PageControlF->currentIndex()))));
      DirectoryTreeView->setFocus();
    } else if (before == BusyState::Reloading) {
      RunSync(1);  // also rewrites status-bar panel 1: selected / total
    }
  });
  connect(session, &FolderSession::FolderOpening, this, [this](const std::filesystem::path& folder) {
    ShowFolder(folder);
    ResetTabs();
  });
  connect(session, &FolderSession::RowsListed, this, &TFormMain::MarkTabs);
  connect(session, &FolderSession::StatusText, StatusBar, &StatusBarPanels::SetPanelText);
  connect(session, &FolderSession::RenameFailed, this,
          [this](MediaFormat format) { PageControlF->setCurrentIndex(static_cast<int>(format)); });
  connect(session, &FolderSession::SaveFailed, this,
          [this](const QString& summary, const std::vector<SaveFailure>& failures) {
            // A failure must not look like success: it stays in panel 0, and
            // the files with their reasons are listed.
            StatusBar->SetPanelText(0, summary);
            ShowSaveErrors(summary, failures);
          });
}

void TFormMain::BeginWork(BusyState state) {
  // Every item of the four menus goes off, so their shortcuts do nothing
  // either; the previous states come back with EndWork.
  lockedActions_.clear();
  for (QMenu* menu : {MenuFile, MenuEdit, MenuOption, MenuHelp}) {
    menu->menuAction()->setEnabled(false);
    for (QAction* action : menu->findChildren<QAction*>()) {
      lockedActions_.emplace_back(action, action->isEnabled());
      action->setEnabled(false);
    }
  }
  const bool saving = state == BusyState::Saving;
  MenuCancel->setData(saving ? 1 : state == BusyState::Loading ? 2 : 3);
  MenuCancel->setVisible(true);
  MenuCancel->setEnabled(true);
  PanelU->setEnabled(false);
  PageControlT->setEnabled(false);
  const std::string_view saveText = kSaveModeText;
  const QString activity = saving ? QString::fromUtf8(saveText.data(), static_cast<qsizetype>(saveText.size()))
                           : state == BusyState::Loading ? QStringLiteral("ロード")
                                                         : QStringLiteral("リロード");
  StatusBar->SetPanelText(2, activity);
  nameConflicts_->SetSuspended(true);
  if (!cursorOverridden_) QApplication::setOverrideCursor(Qt::WaitCursor);
  cursorOverridden_ = true;
}

void TFormMain::EndWork() {
  for (auto& [action, enabled] : lockedActions_)
    if (action) action->setEnabled(enabled);
  lockedActions_.clear();
  for (QMenu* menu : {MenuFile, MenuEdit, MenuOption, MenuHelp}) menu->menuAction()->setEnabled(true);
  MenuCancel->setVisible(false);
  PanelU->setEnabled(true);
  PageControlT->setEnabled(true);
  StatusBar->SetPanelText(2, IsRenameMode() ? QStringLiteral("リネーム") : QStringLiteral("タグ編集"));
  if (cursorOverridden_) QApplication::restoreOverrideCursor();
  cursorOverridden_ = false;
  nameConflicts_->SetSuspended(false);
}

void TFormMain::ResetTabs() {
  fileLists_->ForgetSortMark();
  for (int f = 0; f < kFormatCount; ++f) {
    PageControlF->setTabText(f, TabCaption(f));
    for (int column = 1; column <= 4; ++column)
      fileModels_[static_cast<size_t>(f)]->SetSortMark(column, QLatin1Char(' '));
    listViewF_[static_cast<size_t>(f)]->SetTag(FileListView::kIdle);
  }
  for (const auto& model : tagModels_)
    for (int column = 1; column < model->columnCount(); ++column)
      model->SetSortMark(column, QLatin1Char(' '));
}

void TFormMain::MarkTabs() {
  int first = -1;
  for (int f = 0; f < kFormatCount; ++f) {
    if (catalogue_.RowCount(static_cast<MediaFormat>(f)) == 0) continue;
    PageControlF->setTabText(f, TabCaption(f) + QStringLiteral(" *"));
    if (first < 0) first = f;
  }
  // The page shown has no rows: the first page with rows (PageControlFChange).
  if (first >= 0 && catalogue_.RowCount(static_cast<MediaFormat>(PageControlF->currentIndex())) == 0)
    PageControlF->setCurrentIndex(first);
}

void TFormMain::MenuFileSaveClick() {
  session_->Save();
}

void TFormMain::MenuFileReloadClick() {
  session_->AfterStagedEdits([this] { session_->StartReload(false); });
}

void TFormMain::MenuCancelClick() {
  MenuCancel->setEnabled(false);
  session_->Cancel();
}

void TFormMain::ShowSaveErrors(const QString& summary, const std::vector<SaveFailure>& failures) {
  // One list at a time: a later save's failures replace an earlier one's.
  auto* form = findChild<TFormSaveErrors*>(QString(), Qt::FindDirectChildrenOnly);
  if (!form) {
    form = new TFormSaveErrors(this);
    form->setAttribute(Qt::WA_DeleteOnClose);
  }
  form->SetFailures(summary, failures);
  form->show();
  form->raise();
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
  session_->AfterStagedEdits([this, request] { session_->OpenFolder(request); });
}

void TFormMain::DriveComboBoxChange(int index) {
  if (IsBusy()) return;
  // Choosing the drive of the current folder does nothing.
  std::optional<std::filesystem::path> root = DriveToOpen(*DriveComboBox, index, currentFolder_);
  if (!root) return;
  bool opened = false;
  session_->AfterStagedEdits([this, &opened, folder = *root] {
    opened = true;
    session_->OpenFolder(LoadRequest{folder, false, std::nullopt});
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
  // The in-place editors handle the copy box's keys and its exit.
  if (watched == EditListViewCopy) return false;
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
