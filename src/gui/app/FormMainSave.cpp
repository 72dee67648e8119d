// TFormMain: "保存(&S)" (`MenuFileSaveClick`), the `SaveTag` worker's steps on
// the GUI thread, its cancel, and the re-read of the saved files.

#include <QAction>
#include <array>

#include "core/catalogue/FolderScan.h"
#include "core/rename/RenameBatch.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/SaveEngine.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/tagedit/FormSaveErrors.h"
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
  // The last file of each format page: panel 0 gets back the folder text
  // after it.
  std::array<int, kFormatCount> lastRow;
  lastRow.fill(-1);
  for (const SaveItem& item : plan.items) lastRow[static_cast<size_t>(item.format)] = item.row;
  plan.renameLog = settingsFolder_ / kRenameLogFileName;
  BeginWork(1, Text(kSaveModeText));
  // The folder text, not a failure count that an earlier save left there.
  const QString folderText = QString::fromStdString(FolderPanelText(currentFolder_));
  saveTag_ = new SaveTag(std::move(plan), this);
  // The worker's signals run in its own context: once it is deleted (also
  // when the window goes), steps still queued are dropped.
  connect(saveTag_, &SaveTag::Progress, saveTag_, [this](const QString& count, const QString& message) {
    StatusBar->SetPanelText(1, count);
    // After a cancel panel 0 keeps saying so.
    if (!message.isEmpty() && MenuCancel->isEnabled()) StatusBar->SetPanelText(0, message);
  });
  connect(saveTag_, &SaveTag::RowDone, saveTag_, [this, folderText, lastRow](const SaveRowResultPtr& row) {
    ApplySaveRowResult(catalogue_, *row);
    if (row->rename == RenameOutcome::Failed) {
      PageControlF->setCurrentIndex(static_cast<int>(row->format));
      if (MenuCancel->isEnabled()) StatusBar->SetPanelText(0, folderText);
    }
    if (row->row == lastRow[static_cast<size_t>(row->format)] && MenuCancel->isEnabled())
      StatusBar->SetPanelText(0, folderText);
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
  std::vector<SaveFailure> failed = SaveFailures(currentFolder_, *result);
  lastSaveFailed_ = result->FailedFiles() > 0 || result->cancelled;
  auto finish = [this, failures, failed = std::move(failed)] {
    // A failure must not look like success: it stays in panel 0, and the
    // files with their reasons are listed.
    if (!failures.isEmpty()) {
      StatusBar->SetPanelText(0, failures);
      ShowSaveErrors(failures, failed);
    }
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

}  // namespace hozanki
