// TFormMain: "保存(&S)" (`MenuFileSaveClick`), the `SaveTag` worker's steps on
// the GUI thread, its cancel, and the re-read of the saved files.

#include <QAction>

#include "core/settings/AppSettings.h"
#include "core/tagedit/SaveEngine.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/SaveTagWorker.h"
#include "gui/tagedit/TagTableController.h"

namespace hozanki {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void TFormMain::MenuFileSaveClick() {
  if (IsBusy() || currentFolder_.empty()) return;
  Tables().Editors().CloseOpen();
  WriteSettings settings = SaveWriteSettings(AppSettings::Current());
  settings.journalFolder = settingsFolder_;  // in-place writes, journalled
  SavePlan plan = CollectSavePlan(catalogue_, currentFolder_, settings);
  BeginWork(1, Text(kSaveModeText));
  const QString folderText = StatusBar->PanelText(0);
  saveTag_ = new SaveTag(std::move(plan), this);
  // The worker's signals run in its own context: once it is deleted (also
  // when the window goes), steps still queued are dropped.
  connect(saveTag_, &SaveTag::Progress, saveTag_, [this](const QString& count, const QString& message) {
    StatusBar->SetPanelText(1, count);
    // After a cancel panel 0 keeps saying so.
    if (!message.isEmpty() && MenuCancel->isEnabled()) StatusBar->SetPanelText(0, message);
  });
  connect(saveTag_, &SaveTag::RowDone, saveTag_, [this, folderText](const SaveRowResultPtr& row) {
    ApplySaveRowResult(catalogue_, *row);
    if (row->rename == RenameOutcome::Failed) {
      PageControlF->setCurrentIndex(static_cast<int>(row->format));
      if (MenuCancel->isEnabled()) StatusBar->SetPanelText(0, folderText);
    }
  });
  connect(saveTag_, &SaveTag::Finished, saveTag_, [this, folderText](const SaveResultPtr& result) {
    StatusBar->SetPanelText(0, folderText);
    SaveFinished(result);
  });
  saveTag_->Start();
}

void TFormMain::SaveCancelClick() {
  if (saveTag_) saveTag_->Cancel();
}

void TFormMain::SaveFinished(const SaveResultPtr& result) {
  saveTag_->deleteLater();
  saveTag_ = nullptr;
  EndWork();
  const QString failures = Text(SaveFailureText(*result));
  auto finish = [this, failures] {
    // A failure must not look like success: it stays in panel 0.
    if (!failures.isEmpty()) StatusBar->SetPanelText(0, failures);
    emit SaveDone();
  };
  std::vector<ReloadItem> items = ReloadItemsAfterSave(catalogue_, *result);
  if (items.empty()) {
    finish();
    return;
  }
  auto once = std::make_shared<QMetaObject::Connection>();
  *once = connect(this, &TFormMain::WorkFinished, this, [once, finish] {
    QObject::disconnect(*once);
    finish();
  });
  StartReload(std::move(items));
}

}  // namespace hozanki
