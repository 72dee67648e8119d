#pragma once
// `FileLoad` and `FileReload`: the load engine on a thread of its own. Rows
// reach the GUI thread in batches, in listing order, through queued signals;
// the running count comes with each batch. Cancel() takes effect between
// files; Finished is always the last signal, also after a cancel, so the
// final steps (marking the tabs, unlocking the window) always run.

#include <QObject>
#include <QThread>
#include <memory>

#include "core/catalogue/LoadEngine.h"

namespace hozanki {

using LoadBatchPtr = std::shared_ptr<LoadBatch>;
using ReloadBatchPtr = std::shared_ptr<ReloadBatch>;

class FileLoadWorker : public QObject {
  Q_OBJECT
 public:
  explicit FileLoadWorker(LoadRequest request, MediaReaders readers = DefaultMediaReaders(),
                          QObject* parent = nullptr);
  // Cancels and waits for the thread.
  ~FileLoadWorker() override;

  void Start();
  // Any thread; the files being read complete and are still delivered.
  void Cancel();
  bool IsRunning() const;
  LoadEngine& Engine() { return *engine_; }

 signals:
  // New rows in listing order; append them to their formats' rows.
  void BatchReady(hozanki::LoadBatchPtr batch);
  // The running count of files handled (status-bar panel 1).
  void CountChanged(qulonglong count);
  void Finished(bool cancelled, qulonglong count);

 private:
  LoadRequest request_;
  std::unique_ptr<LoadEngine> engine_;
  QThread* thread_ = nullptr;
  LoadResult result_;
};

class FileReloadWorker : public QObject {
  Q_OBJECT
 public:
  // `items` from CollectReloadItems over every format (all rows, or changed only).
  FileReloadWorker(std::filesystem::path folder, std::vector<ReloadItem> items,
                   MediaReaders readers = DefaultMediaReaders(), QObject* parent = nullptr);
  ~FileReloadWorker() override;

  void Start();
  void Cancel();
  bool IsRunning() const;

 signals:
  // Rows read again; write each over its row with ApplyReloadedItem.
  void BatchReady(hozanki::ReloadBatchPtr batch);
  void CountChanged(qulonglong count);
  void Finished(bool cancelled, qulonglong count);

 private:
  std::filesystem::path folder_;
  std::vector<ReloadItem> items_;
  std::unique_ptr<LoadEngine> engine_;
  QThread* thread_ = nullptr;
  LoadResult result_;
};

}  // namespace hozanki

Q_DECLARE_METATYPE(hozanki::LoadBatchPtr)
Q_DECLARE_METATYPE(hozanki::ReloadBatchPtr)
