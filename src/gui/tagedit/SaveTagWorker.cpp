#include "gui/tagedit/SaveTagWorker.h"

namespace hozanki {

SaveTag::SaveTag(SavePlan plan, QObject* parent)
    : QObject(parent), engine_(std::make_unique<SaveEngine>(std::move(plan))) {
  static const bool registered = [] {
    qRegisterMetaType<SaveRowResultPtr>("hozanki::SaveRowResultPtr");
    qRegisterMetaType<SaveResultPtr>("hozanki::SaveResultPtr");
    return true;
  }();
  (void)registered;
}

SaveTag::~SaveTag() {
  if (!thread_) return;
  engine_->Cancel();
  thread_->wait();
}

void SaveTag::Start() {
  if (thread_) return;
  thread_ = QThread::create([this] {
    SaveResult result = engine_->Run(
        [this](const SaveProgress& p) {
          emit Progress(QString::fromStdString(p.CountText()), p.step == SaveProgress::Step::Write
                                                                   ? QString::fromStdString(p.MessageText())
                                                                   : QString());
        },
        [this](const SaveRowResult& r) { emit RowDone(std::make_shared<const SaveRowResult>(r)); });
    result_ = std::make_shared<SaveResult>(std::move(result));
  });
  thread_->setParent(this);
  // Emitted after the thread's last signal, so it is queued behind them.
  connect(thread_, &QThread::finished, this,
          [this] { emit Finished(result_ ? SaveResultPtr(result_) : std::make_shared<const SaveResult>()); });
  thread_->start();
}

void SaveTag::Cancel() {
  engine_->Cancel();
}

bool SaveTag::IsRunning() const {
  return thread_ && thread_->isRunning();
}

}  // namespace hozanki
