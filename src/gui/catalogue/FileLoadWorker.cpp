#include "gui/catalogue/FileLoadWorker.h"

namespace hozanki {

namespace {

void RegisterTypes() {
  static const bool done = [] {
    qRegisterMetaType<LoadBatchPtr>("hozanki::LoadBatchPtr");
    qRegisterMetaType<ReloadBatchPtr>("hozanki::ReloadBatchPtr");
    return true;
  }();
  (void)done;
}

void StopThread(QThread* thread, LoadEngine& engine) {
  if (!thread) return;
  engine.Cancel();
  thread->wait();
}

}  // namespace

FileLoadWorker::FileLoadWorker(LoadRequest request, MediaReaders readers, QObject* parent)
    : QObject(parent),
      request_(std::move(request)),
      engine_(std::make_unique<LoadEngine>(std::move(readers))) {
  RegisterTypes();
}

FileLoadWorker::~FileLoadWorker() {
  StopThread(thread_, *engine_);
}

void FileLoadWorker::Start() {
  if (thread_) return;
  thread_ = QThread::create([this] {
    result_ = engine_->Load(request_, [this](LoadBatch&& batch) {
      emit CountChanged(batch.count);
      if (!batch.entries.empty()) emit BatchReady(std::make_shared<LoadBatch>(std::move(batch)));
    });
  });
  thread_->setParent(this);
  // Emitted by the thread after its last batch, so it is queued behind them.
  connect(thread_, &QThread::finished, this, [this] { emit Finished(result_.cancelled, result_.count); });
  thread_->start();
}

void FileLoadWorker::Cancel() {
  engine_->Cancel();
}

bool FileLoadWorker::IsRunning() const {
  return thread_ && thread_->isRunning();
}

FileReloadWorker::FileReloadWorker(std::filesystem::path folder, std::vector<ReloadItem> items,
                                   MediaReaders readers, QObject* parent)
    : QObject(parent),
      folder_(std::move(folder)),
      items_(std::move(items)),
      engine_(std::make_unique<LoadEngine>(std::move(readers))) {
  RegisterTypes();
}

FileReloadWorker::~FileReloadWorker() {
  StopThread(thread_, *engine_);
}

void FileReloadWorker::Start() {
  if (thread_) return;
  thread_ = QThread::create([this] {
    result_ = engine_->Reload(folder_, std::move(items_), [this](ReloadBatch&& batch) {
      emit CountChanged(batch.count);
      if (!batch.items.empty()) emit BatchReady(std::make_shared<ReloadBatch>(std::move(batch)));
    });
  });
  thread_->setParent(this);
  connect(thread_, &QThread::finished, this, [this] { emit Finished(result_.cancelled, result_.count); });
  thread_->start();
}

void FileReloadWorker::Cancel() {
  engine_->Cancel();
}

bool FileReloadWorker::IsRunning() const {
  return thread_ && thread_->isRunning();
}

}  // namespace hozanki
