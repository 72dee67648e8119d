// TFormMain: the busy state, `OpenFolder` with the `FileLoad` steps (reset,
// rows appended in batches, mark tabs, unlock), `StartReload` with
// `FileReload`, and `MenuCancelClick`.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <system_error>

#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/FolderScan.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/NameConflictWatch.h"
#include "gui/catalogue/FileLoadWorker.h"
#include "gui/tagedit/TagTableModel.h"

namespace hozanki {

namespace fs = std::filesystem;

namespace {

QString TabCaption(int page) {
  const std::string_view name = FormatName(static_cast<MediaFormat>(page));
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// The folder without a trailing separator (the root keeps its "/").
fs::path NormalFolder(const fs::path& folder) {
  fs::path normal = folder.lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

}  // namespace

bool TFormMain::IsBusy() const {
  return MenuCancel->isVisible();
}

void TFormMain::BeginWork(int cancelTag, const QString& activity) {
  EditListViewCopyExit();
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
  MenuCancel->setData(cancelTag);
  MenuCancel->setVisible(true);
  MenuCancel->setEnabled(true);
  PanelU->setEnabled(false);
  PageControlT->setEnabled(false);
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
  // A path list handed over meanwhile is opened once this step is over.
  if (pendingPathList_) QTimer::singleShot(0, this, &TFormMain::RunPendingPathList);
}

void TFormMain::OpenPathList(const std::vector<fs::path>& paths) {
  if (paths.empty()) return;
  if (IsBusy()) {
    pendingPathList_ = paths;
    return;
  }
  std::error_code ec;
  fs::path working = fs::current_path(ec);
  if (ec) working = "/";
  // A folder first opens that folder itself; files open as a path list.
  if (std::optional<LoadRequest> request = ArgumentRequest(paths, working))
    AfterStagedEdits([this, request = *request] { OpenFolder(request); });
}

void TFormMain::RunPendingPathList() {
  if (IsBusy() || !pendingPathList_) return;
  std::vector<fs::path> paths = std::move(*pendingPathList_);
  pendingPathList_.reset();
  OpenPathList(paths);
}

void TFormMain::OpenFolder(const LoadRequest& given) {
  if (IsBusy()) return;
  BeginWork(2, QStringLiteral("ロード"));
  LoadRequest request = given;
  request.folder = NormalFolder(given.folder);
  currentFolder_ = request.folder;
  ShowFolder(currentFolder_);
  ResetLists();

  loader_ = new FileLoadWorker(std::move(request), readers_, this);
  connect(loader_, &FileLoadWorker::BatchReady, this, [this](LoadBatchPtr batch) { AppendBatch(*batch); });
  connect(loader_, &FileLoadWorker::CountChanged, this,
          [this](qulonglong count) { StatusBar->SetPanelText(1, QString::number(count)); });
  connect(loader_, &FileLoadWorker::Finished, this, [this] {
    MarkTabs();
    UnlockAfterLoad();
    loader_->deleteLater();
    loader_ = nullptr;
    emit WorkFinished();
  });
  loader_->Start();
}

void TFormMain::ResetLists() {
  sortedModel_ = nullptr;
  sortedColumn_ = sortKey_ = -1;
  for (int f = 0; f < kFormatCount; ++f) {
    PageControlF->setTabText(f, TabCaption(f));
    for (int column = 1; column <= 4; ++column)
      fileModels_[static_cast<size_t>(f)]->SetSortMark(column, QLatin1Char(' '));
    listViewF_[static_cast<size_t>(f)]->SetTag(FileListView::kIdle);
  }
  for (TagTableModel* model : tagModels_)
    for (int column = 1; column < model->columnCount(); ++column)
      model->SetSortMark(column, QLatin1Char(' '));
  catalogue_.ClearAll();
}

void TFormMain::AppendBatch(LoadBatch& batch) {
  // One insertion per format and batch, each format's rows in listing order.
  std::array<std::vector<MediaFileEntry>, kFormatCount> groups;
  for (MediaFileEntry& entry : batch.entries)
    groups[static_cast<size_t>(entry.format)].push_back(std::move(entry));
  for (int f = 0; f < kFormatCount; ++f)
    if (!groups[static_cast<size_t>(f)].empty())
      catalogue_.Append(static_cast<MediaFormat>(f), std::move(groups[static_cast<size_t>(f)]));
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

void TFormMain::UnlockAfterLoad() {
  EndWork();
  StatusBar->SetPanelText(1, QStringLiteral("0 / %1").arg(catalogue_.RowCount(
                                 static_cast<MediaFormat>(PageControlF->currentIndex()))));
  DirectoryTreeView->setFocus();
}

void TFormMain::StartReload(bool changedOnly) {
  if (IsBusy()) return;
  std::vector<ReloadItem> items;
  for (int f = 0; f < kFormatCount; ++f)
    CollectReloadItems(static_cast<MediaFormat>(f), catalogue_.Entries(static_cast<MediaFormat>(f)),
                       changedOnly, items);
  StartReload(std::move(items));
}

void TFormMain::StartReload(std::vector<ReloadItem> items) {
  if (IsBusy()) return;
  BeginWork(3, QStringLiteral("リロード"));
  // A failure count of an earlier save gives way to the folder again.
  StatusBar->SetPanelText(0, QString::fromStdString(FolderPanelText(currentFolder_)));
  reloader_ = new FileReloadWorker(currentFolder_, std::move(items), readers_, this);
  connect(reloader_, &FileReloadWorker::BatchReady, this, [this](ReloadBatchPtr batch) {
    // Rows are overwritten in place; a row that holds another file now is left.
    for (ReloadItem& item : batch->items) {
      const MediaFormat format = item.format;
      catalogue_.EditRow(format, static_cast<int>(item.row),
                         [&item](MediaFileEntry& entry) { ApplyReloadedItem(entry, std::move(item)); });
    }
  });
  connect(reloader_, &FileReloadWorker::CountChanged, this,
          [this](qulonglong count) { StatusBar->SetPanelText(1, QString::number(count)); });
  connect(reloader_, &FileReloadWorker::Finished, this, [this] {
    EndWork();
    RunSync(1);  // also rewrites status-bar panel 1: selected / total
    reloader_->deleteLater();
    reloader_ = nullptr;
    emit WorkFinished();
  });
  reloader_->Start();
}

void TFormMain::MenuFileReloadClick() {
  AfterStagedEdits([this] { StartReload(false); });
}

void TFormMain::MenuCancelClick() {
  MenuCancel->setEnabled(false);
  switch (MenuCancel->data().toInt()) {
    case 1:
      StatusBar->SetPanelText(
          0, QStringLiteral("キャンセルを受け付けました... 現在処理中のファイルが保存完了するまで待機中..."));
      emit SaveCancelRequested();
      break;
    case 2:
      if (loader_) loader_->Cancel();
      break;
    case 3:
      if (reloader_) reloader_->Cancel();
      break;
    default:
      break;
  }
}

}  // namespace hozanki
