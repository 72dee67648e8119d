#pragma once
// `SaveTag`: the save engine on a thread of its own. The thread touches no
// catalogue and no widget; progress and each file's result reach the GUI
// thread through queued signals, in order, and Finished always comes last
// (also after a cancel).

#include <QObject>
#include <QString>
#include <QThread>
#include <memory>

#include "core/tagedit/SaveEngine.h"

namespace hozanki {

using SaveRowResultPtr = std::shared_ptr<const SaveRowResult>;
using SaveResultPtr = std::shared_ptr<const SaveResult>;

class SaveTag : public QObject {
  Q_OBJECT
 public:
  explicit SaveTag(SavePlan plan, QObject* parent = nullptr);
  // Cancels and waits for the thread.
  ~SaveTag() override;

  void Start();
  // Any thread: the file being saved is completed, then the thread stops.
  void Cancel();
  bool IsRunning() const;
  int Total() const { return engine_->Plan().total; }

 signals:
  // Before each step: "count / total" (panel 1) and, on write steps, the
  // path + " 保存中..." (panel 0; empty on rename steps).
  void Progress(const QString& count, const QString& message);
  // One file handled: apply it with ApplySaveRowResult.
  void RowDone(hozanki::SaveRowResultPtr result);
  void Finished(hozanki::SaveResultPtr result);

 private:
  std::unique_ptr<SaveEngine> engine_;
  QThread* thread_ = nullptr;
  std::shared_ptr<SaveResult> result_;
};

}  // namespace hozanki

Q_DECLARE_METATYPE(hozanki::SaveRowResultPtr)
Q_DECLARE_METATYPE(hozanki::SaveResultPtr)
