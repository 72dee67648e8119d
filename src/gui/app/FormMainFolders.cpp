// TFormMain: the window's side of the folder session: the busy state on the
// menus and panels, the tab captions and their marks, the status bar, the
// save failures, the unsaved-changes question on closing. The drive box, the
// folder tree and path lists dropped on the window are `FolderPanel`'s; the
// window's drag and drop events go to it.

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeView>

#include "core/tagedit/SaveEngine.h"
#include "gui/app/FileListController.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/FolderPanel.h"
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
    folderPanel_->ShowFolder(folder);
    // The tabs lose their marks and no column carries a sort mark.
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
  });
  connect(session, &FolderSession::RowsListed, this, [this] {
    // The pages with rows are marked " *"; when the page shown has none, the
    // first page with rows is shown (PageControlFChange).
    int first = -1;
    for (int f = 0; f < kFormatCount; ++f) {
      if (session_->Data().RowCount(static_cast<MediaFormat>(f)) == 0) continue;
      ui_.PageControlF->setTabText(f, TabCaption(f) + QStringLiteral(" *"));
      if (first < 0) first = f;
    }
    if (first >= 0 && session_->Data().RowCount(static_cast<MediaFormat>(ui_.PageControlF->currentIndex())) == 0)
      ui_.PageControlF->setCurrentIndex(first);
  });
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

void TFormMain::dragEnterEvent(QDragEnterEvent* event) { folderPanel_->DragEnter(event); }
void TFormMain::dragMoveEvent(QDragMoveEvent* event) { folderPanel_->DragMove(event); }
void TFormMain::dropEvent(QDropEvent* event) { folderPanel_->Drop(event); }

}  // namespace hozanki
