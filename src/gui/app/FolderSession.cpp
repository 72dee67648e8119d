#include "gui/app/FolderSession.h"

#include <QTimer>
#include <array>
#include <system_error>

#include "core/catalogue/FolderScan.h"
#include "core/rename/RenameBatch.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/SaveEngine.h"
#include "gui/catalogue/FileLoadWorker.h"
#include "gui/tagedit/SaveTagWorker.h"

namespace hozanki {

namespace fs = std::filesystem;

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The folder without a trailing separator (the root keeps its "/").
fs::path NormalFolder(const fs::path& folder) {
  fs::path normal = folder.lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

// How long the results of saved files gather before they reach the catalogue.
constexpr int kSavedRowsInterval = 25;  // ms

// A worker that finished is still in its own signal: it goes once that is over.
template <typename Worker>
void DeleteLater(std::unique_ptr<Worker>& worker) {
  if (worker) worker.release()->deleteLater();
}

}  // namespace

FolderSession::FolderSession(fs::path settingsFolder, FolderSessionHost host, QObject* parent)
    : QObject(parent),
      settingsFolder_(std::move(settingsFolder)),
      readers_(DefaultMediaReaders()),
      host_(std::move(host)) {
  qRegisterMetaType<BusyState>();
  if (!host_.closeEditors) host_.closeEditors = [] {};
  if (!host_.askUnsaved) host_.askUnsaved = [] { return UnsavedAnswer::Cancel; };
  connect(this, &FolderSession::SaveDone, this, &FolderSession::ContinueAfterSave, Qt::QueuedConnection);
  savedRowsTimer_.setSingleShot(true);
  savedRowsTimer_.setInterval(kSavedRowsInterval);
  connect(&savedRowsTimer_, &QTimer::timeout, this, &FolderSession::ApplySavedRows);
}

FolderSession::~FolderSession() = default;

void FolderSession::SetBusy(BusyState state) {
  // Text typed into an open editor is stored before work starts.
  if (state != BusyState::None) host_.closeEditors();
  const BusyState before = busy_;
  busy_ = state;
  if (state != BusyState::None) cancelRequested_ = false;
  emit BusyChanged(state, before);
  // A path list handed over meanwhile is opened once this step is over.
  if (state == BusyState::None && pendingPathList_)
    QTimer::singleShot(0, this, &FolderSession::RunPendingPathList);
}

void FolderSession::OpenPathList(const std::vector<fs::path>& paths) {
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

void FolderSession::RunPendingPathList() {
  if (IsBusy() || !pendingPathList_) return;
  std::vector<fs::path> paths = std::move(*pendingPathList_);
  pendingPathList_.reset();
  OpenPathList(paths);
}

void FolderSession::OpenFolder(const LoadRequest& given) {
  if (IsBusy()) return;
  SetBusy(BusyState::Loading);
  LoadRequest request = given;
  request.folder = NormalFolder(given.folder);
  currentFolder_ = request.folder;
  emit FolderOpening(currentFolder_);
  catalogue_.ClearAll();

  loader_ = std::make_unique<FileLoadWorker>(std::move(request), readers_);
  FileLoadWorker* loader = loader_.get();
  connect(loader, &FileLoadWorker::BatchReady, this, [this](LoadBatchPtr batch) { AppendBatch(*batch); });
  connect(loader, &FileLoadWorker::CountChanged, this,
          [this](qulonglong count) { emit StatusText(1, QString::number(count)); });
  connect(loader, &FileLoadWorker::Finished, this, [this] {
    emit RowsListed();
    SetBusy(BusyState::None);
    DeleteLater(loader_);
    emit WorkFinished();
  });
  loader->Start();
}

void FolderSession::AppendBatch(LoadBatch& batch) {
  // One insertion per format and batch, each format's rows in listing order.
  std::array<std::vector<MediaFileEntry>, kFormatCount> groups;
  for (MediaFileEntry& entry : batch.entries)
    groups[static_cast<size_t>(entry.format)].push_back(std::move(entry));
  for (int f = 0; f < kFormatCount; ++f)
    if (!groups[static_cast<size_t>(f)].empty())
      catalogue_.Append(static_cast<MediaFormat>(f), std::move(groups[static_cast<size_t>(f)]));
}

void FolderSession::StartReload(bool changedOnly) {
  if (IsBusy()) return;
  std::vector<ReloadItem> items;
  for (int f = 0; f < kFormatCount; ++f)
    CollectReloadItems(static_cast<MediaFormat>(f), catalogue_.Entries(static_cast<MediaFormat>(f)),
                       changedOnly, items);
  StartReload(std::move(items));
}

void FolderSession::StartReload(std::vector<ReloadItem> items) {
  if (IsBusy()) return;
  SetBusy(BusyState::Reloading);
  // A failure count of an earlier save gives way to the folder again.
  emit StatusText(0, QString::fromStdString(FolderPanelText(currentFolder_)));
  reloader_ = std::make_unique<FileReloadWorker>(currentFolder_, std::move(items), readers_);
  FileReloadWorker* reloader = reloader_.get();
  connect(reloader, &FileReloadWorker::BatchReady, this, [this](ReloadBatchPtr batch) {
    // Rows are overwritten in place; a row that holds another file now is left.
    const Catalogue::ChangeBatch changes(catalogue_);
    for (ReloadItem& item : batch->items) {
      const MediaFormat format = item.format;
      catalogue_.EditRow(format, static_cast<int>(item.row),
                         [&item](MediaFileEntry& entry) { ApplyReloadedItem(entry, std::move(item)); });
    }
  });
  connect(reloader, &FileReloadWorker::CountChanged, this,
          [this](qulonglong count) { emit StatusText(1, QString::number(count)); });
  connect(reloader, &FileReloadWorker::Finished, this, [this] {
    SetBusy(BusyState::None);
    DeleteLater(reloader_);
    emit WorkFinished();
  });
  reloader->Start();
}

void FolderSession::Cancel() {
  if (!IsBusy() || cancelRequested_) return;
  cancelRequested_ = true;
  switch (busy_) {
    case BusyState::Saving:
      emit StatusText(
          0, QStringLiteral("キャンセルを受け付けました... 現在処理中のファイルが保存完了するまで待機中..."));
      if (saveTag_) saveTag_->Cancel();
      break;
    case BusyState::Loading:
      if (loader_) loader_->Cancel();
      break;
    case BusyState::Reloading:
      if (reloader_) reloader_->Cancel();
      break;
    case BusyState::None:
      break;
  }
}

void FolderSession::Save() {
  if (IsBusy() || currentFolder_.empty()) return;
  host_.closeEditors();
  WriteSettings settings = SaveWriteSettings(AppSettings::Current());
  // In-place writes journalled, renames logged, in the settings folder.
  SavePlan plan = CollectSavePlan(catalogue_, currentFolder_, settings, settingsFolder_);
  // The last file of each format page: panel 0 gets back the folder text
  // after it.
  std::array<int, kFormatCount> lastRow;
  lastRow.fill(-1);
  for (const SaveItem& item : plan.items) lastRow[static_cast<size_t>(item.format)] = item.row;
  SetBusy(BusyState::Saving);
  // The folder text, not a failure count that an earlier save left there.
  const QString folderText = QString::fromStdString(FolderPanelText(currentFolder_));
  saveTag_ = std::make_unique<SaveTag>(std::move(plan));
  SaveTag* worker = saveTag_.get();
  // The worker's signals run in its own context: once it is deleted (also
  // when the session goes), steps still queued are dropped.
  connect(worker, &SaveTag::Progress, worker, [this](const QString& count, const QString& message) {
    emit StatusText(1, count);
    // After a cancel panel 0 keeps saying so.
    if (!message.isEmpty() && !cancelRequested_) emit StatusText(0, message);
  });
  connect(worker, &SaveTag::RowDone, worker, [this, folderText, lastRow](const SaveRowResultPtr& row) {
    savedRows_.push_back(row);
    if (!savedRowsTimer_.isActive()) savedRowsTimer_.start();
    if (row->rename == RenameOutcome::Failed) {
      emit RenameFailed(row->format);
      if (!cancelRequested_) emit StatusText(0, folderText);
    }
    if (row->row == lastRow[static_cast<size_t>(row->format)] && !cancelRequested_)
      emit StatusText(0, folderText);
  });
  connect(worker, &SaveTag::Finished, worker, [this, folderText](const SaveResultPtr& result) {
    ApplySavedRows();
    emit StatusText(0, folderText);
    SaveFinished(result);
  });
  emit SaveStarting(worker);
  worker->Start();
}

void FolderSession::ApplySavedRows() {
  savedRowsTimer_.stop();
  const Catalogue::ChangeBatch changes(catalogue_);
  for (const auto& row : savedRows_) ApplySaveRowResult(catalogue_, *row);
  savedRows_.clear();
}

void FolderSession::SaveFinished(const SaveResultPtr& result) {
  DeleteLater(saveTag_);
  SetBusy(BusyState::None);
  const QString failures = Text(SaveFailureText(*result));
  std::vector<SaveFailure> failed = SaveFailures(currentFolder_, *result);
  lastSaveFailed_ = result->FailedFiles() > 0 || result->cancelled;
  auto finish = [this, failures, failed = std::move(failed)] {
    // A failure must not look like success: the window shows it.
    if (!failures.isEmpty()) emit SaveFailed(failures, failed);
    emit SaveDone();
  };
  std::vector<ReloadItem> items = ReloadItemsAfterSave(catalogue_, *result);
  if (items.empty()) {
    finish();
    return;
  }
  auto once = std::make_shared<QMetaObject::Connection>();
  *once = connect(this, &FolderSession::WorkFinished, this, [once, finish] {
    QObject::disconnect(*once);
    finish();
  });
  StartReload(std::move(items));
}

bool FolderSession::HasStagedEdits() const {
  return HasStagedChanges(catalogue_);
}

bool FolderSession::MayDropStagedEdits(std::function<void()> afterSave) {
  // Text typed into an open in-place editor is a staged edit too.
  host_.closeEditors();
  if (!HasStagedEdits()) return true;
  switch (host_.askUnsaved()) {
    case UnsavedAnswer::Discard:
      return true;
    case UnsavedAnswer::Save:
      SaveThen(std::move(afterSave));
      return false;
    case UnsavedAnswer::Cancel:
      break;
  }
  return false;
}

void FolderSession::AfterStagedEdits(std::function<void()> then) {
  if (MayDropStagedEdits(then)) then();
}

void FolderSession::SaveThen(std::function<void()> then) {
  afterSave_ = std::move(then);
  Save();
  // A save that could not start leaves nothing to wait for.
  if (!IsBusy()) afterSave_ = nullptr;
}

void FolderSession::ContinueAfterSave() {
  std::function<void()> then = std::move(afterSave_);
  afterSave_ = nullptr;
  // A failed, cancelled or partial save keeps the question's target waiting:
  // the user sees what was not saved first.
  if (then && !lastSaveFailed_ && !HasStagedEdits()) then();
}

}  // namespace hozanki
