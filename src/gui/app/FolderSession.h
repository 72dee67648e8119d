#pragma once
// `FolderSession`: the folder the window shows and the work on it. It holds
// the catalogue of the listed files, the settings folder, the current and the
// remembered folder, the readers of loads and reloads, the loader, reloader
// and save workers (at most one runs: the busy state), the path list handed
// over while busy, and the question before staged edits would be dropped.
//
// The workers run on threads of their own and touch neither the catalogue nor
// a widget; their batches and results reach the GUI thread through queued
// signals and are applied here. The window follows the session's signals
// (menus locked while busy, the folder tree, the status-bar texts) and answers
// it through `FolderSessionHost`.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/LoadEngine.h"
#include "gui/app/UnsavedChangesQuestion.h"

namespace hozanki {

class FileLoadWorker;
class FileReloadWorker;
class SaveTag;
struct SaveFailure;
struct SaveResult;
struct SaveRowResult;

// What runs: nothing, a save, a load or a reload.
enum class BusyState { None, Saving, Loading, Reloading };

// What the session asks of the window.
struct FolderSessionHost {
  // Closes an open in-place editor; its text is stored (a staged edit too).
  std::function<void()> closeEditors;
  // "変更が保存されていません。保存しますか？"
  std::function<UnsavedAnswer()> askUnsaved;
};

class FolderSession : public QObject {
  Q_OBJECT

 public:
  FolderSession(std::filesystem::path settingsFolder, FolderSessionHost host, QObject* parent = nullptr);
  // A running worker is cancelled and waited for.
  ~FolderSession() override;

  Catalogue& Data() { return catalogue_; }
  const Catalogue& Data() const { return catalogue_; }
  // The settings folder (journals and the rename log of a save go there).
  const std::filesystem::path& SettingsFolder() const { return settingsFolder_; }
  // The folder the rows are relative to; empty before the first load.
  const std::filesystem::path& CurrentFolder() const { return currentFolder_; }
  // The folder the settings remember, opened at start without arguments.
  const std::filesystem::path& RememberedFolder() const { return rememberedFolder_; }
  void SetRememberedFolder(std::filesystem::path folder) { rememberedFolder_ = std::move(folder); }
  // The readers of later loads and reloads (tests put slow ones in).
  void SetMediaReaders(MediaReaders readers) { readers_ = std::move(readers); }

  BusyState Busy() const { return busy_; }
  bool IsBusy() const { return busy_ != BusyState::None; }
  // A path list kept while busy, opened when idle again.
  bool HasPendingPathList() const { return pendingPathList_.has_value(); }

  // `OpenFolder`: clears every list and loads the folder (plain, recursive or
  // a path list) on the loader thread. Ignored while a worker runs.
  void OpenFolder(const LoadRequest& request);
  // `OpenPathList`: opens the folder of the first path and loads exactly the
  // listed files, after the unsaved-changes question. While a worker runs,
  // the last list handed over is kept and opened when idle again.
  void OpenPathList(const std::vector<std::filesystem::path>& paths);
  // `StartReload`: reads the listed files of the current folder again (all,
  // or with `changedOnly` those carrying a changed mark), rows in place.
  void StartReload(bool changedOnly);
  // The same for given rows (the re-read at the end of a save).
  void StartReload(std::vector<ReloadItem> items);
  // "保存(&S)": writes the staged edits on the save thread, then re-reads
  // the saved files. Ignored while busy or before a folder is open.
  void Save();
  // "キャンセル(&C)": asks the running worker to stop (a save completes the
  // file it is writing first). Only the first request counts.
  void Cancel();
  // Whether a cancel was asked for the work that runs now.
  bool CancelRequested() const { return cancelRequested_; }
  // The running save worker, if any (tests follow its progress).
  SaveTag* SaveWorker() const { return saveTag_.get(); }

  // Whether any row carries the changed mark.
  bool HasStagedEdits() const;
  // Runs `then` at once when nothing is staged; otherwise asks: 破棄 runs
  // `then`, 保存 saves and runs `then` once the save wrote everything,
  // キャンセル does nothing.
  void AfterStagedEdits(std::function<void()> then);
  // The same question without running anything: true when the edits may be
  // dropped now (nothing staged, or 破棄). 保存 starts the save and runs
  // `afterSave` once it wrote everything; false then, as for キャンセル.
  bool MayDropStagedEdits(std::function<void()> afterSave);

 signals:
  // The busy state changed; `before` is the state that ended or was left.
  void BusyChanged(hozanki::BusyState now, hozanki::BusyState before);
  // A load starts on `folder`; the rows are cleared right after this.
  void FolderOpening(const std::filesystem::path& folder);
  // A status-bar text: panel 0 the folder or a message, panel 1 counts.
  void StatusText(int panel, const QString& text);
  // A load has listed its rows; the busy state ends right after this.
  void RowsListed();
  // A save could not rename a file of `format` (its page is shown).
  void RenameFailed(hozanki::MediaFormat format);
  // A save failed for some files, or was cancelled: `summary` and each file
  // with its reason.
  void SaveFailed(const QString& summary, const std::vector<hozanki::SaveFailure>& failures);
  // A save and the re-read after it are over.
  void SaveDone();
  // The save worker is made and about to start (connect to it now and no
  // signal of it is missed).
  void SaveStarting(hozanki::SaveTag* worker);
  // A load or reload is over (emitted after the busy state ended).
  void WorkFinished();

 private:
  void SetBusy(BusyState state);
  void AppendBatch(LoadBatch& batch);
  void ApplySavedRows();
  void SaveFinished(const std::shared_ptr<const SaveResult>& result);
  void SaveThen(std::function<void()> then);
  void ContinueAfterSave();
  void RunPendingPathList();

  // The workers are declared last, so they go first: a running one is
  // cancelled and waited for while the catalogue still exists.
  Catalogue catalogue_;
  std::filesystem::path settingsFolder_;
  std::filesystem::path rememberedFolder_;
  std::filesystem::path currentFolder_;
  MediaReaders readers_;
  FolderSessionHost host_;
  BusyState busy_ = BusyState::None;
  bool cancelRequested_ = false;
  std::optional<std::vector<std::filesystem::path>> pendingPathList_;
  // What 保存 of the question continues with, and whether the last save
  // failed for any file or was cancelled.
  std::function<void()> afterSave_;
  bool lastSaveFailed_ = false;
  // The workers; at most one runs. A finished one is deleted later (it is
  // still in its own signal then).
  std::unique_ptr<FileLoadWorker> loader_;
  std::unique_ptr<FileReloadWorker> reloader_;
  std::unique_ptr<SaveTag> saveTag_;
  // The files a running save has handled, put into the catalogue a batch at
  // a time (one change for the views, not one per file).
  std::vector<std::shared_ptr<const SaveRowResult>> savedRows_;
  QTimer savedRowsTimer_;
};

}  // namespace hozanki

Q_DECLARE_METATYPE(hozanki::BusyState)
