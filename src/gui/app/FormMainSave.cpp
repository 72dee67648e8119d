// TFormMain: "保存(&S)" (`MenuFileSaveClick`), the `SaveTag` worker's steps on
// the GUI thread, its cancel, and the re-read of the saved files.

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#include "core/settings/AppSettings.h"
#include "core/tagedit/SaveEngine.h"
#include "gui/app/FormMain.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/catalogue/FileLoadWorker.h"
#include "gui/rename/FileNameEditor.h"
#include "gui/tagedit/SaveTagWorker.h"

namespace hozanki {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kCancelSave = 1;
constexpr int kCancelReload = 3;

}  // namespace

void TFormMain::SetLoadedFolder(const std::filesystem::path& folder) {
  loadedFolder_ = folder;
  StatusBar->SetPanelText(0, QString::fromStdString(folder.string()));
}

bool TFormMain::IsWorkerRunning() const {
  return MenuCancel->isVisible();
}

void TFormMain::LockForWorker(bool locked, int cancelTag) {
  for (const char* name : {"MenuFile", "MenuEdit", "MenuOption", "MenuHelp"})
    if (auto* menu = menuBar()->findChild<QMenu*>(QLatin1String(name))) menu->setEnabled(!locked);
  MenuCancel->setData(locked ? cancelTag : 0);
  MenuCancel->setEnabled(locked);
  MenuCancel->setVisible(locked);
  PanelUL->setEnabled(!locked);
  // The pages are locked without disabling their tabs, which would move the
  // current page.
  for (QTabWidget* pages : {PageControlF, PageControlT}) {
    pages->tabBar()->setEnabled(!locked);
    for (int i = 0; i < pages->count(); ++i) pages->widget(i)->setEnabled(!locked);
  }
}

void TFormMain::MenuFileSaveClick() {
  if (IsWorkerRunning() || loadedFolder_.empty()) return;
  nameEditor_->Finish(true);
  SavePlan plan = CollectSavePlan(catalogue_, loadedFolder_, SaveWriteSettings(AppSettings::Current()));
  LockForWorker(true, kCancelSave);
  StatusBar->SetPanelText(2, Text(kSaveModeText));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const QString folderText = StatusBar->PanelText(0);
  saveTag_ = new SaveTag(std::move(plan), this);
  connect(saveTag_, &SaveTag::Progress, this, [this](const QString& count, const QString& message) {
    StatusBar->SetPanelText(1, count);
    if (!message.isEmpty() && MenuCancel->isEnabled()) StatusBar->SetPanelText(0, message);
  });
  connect(saveTag_, &SaveTag::RowDone, this, [this, folderText](const SaveRowResultPtr& row) {
    ApplySaveRowResult(catalogue_, *row);
    if (row->rename == RenameOutcome::Failed) {
      PageControlF->setCurrentIndex(static_cast<int>(row->format));
      if (MenuCancel->isEnabled()) StatusBar->SetPanelText(0, folderText);
    }
  });
  connect(saveTag_, &SaveTag::Finished, this, [this, folderText](const SaveResultPtr& result) {
    StatusBar->SetPanelText(0, folderText);
    SaveFinished(result);
  });
  saveTag_->Start();
}

void TFormMain::SaveCancelClick() {
  const int tag = MenuCancel->data().toInt();
  if (tag == kCancelSave && saveTag_) {
    MenuCancel->setEnabled(false);
    StatusBar->SetPanelText(0, Text(kSaveCancelText));
    saveTag_->Cancel();
  } else if (tag == kCancelReload && saveReload_) {
    MenuCancel->setEnabled(false);
    saveReload_->Cancel();
  }
}

void TFormMain::SaveFinished(const SaveResultPtr& result) {
  saveTag_->deleteLater();
  saveTag_ = nullptr;
  LockForWorker(false, 0);
  QApplication::restoreOverrideCursor();
  const QString failures = Text(SaveFailureText(*result));
  std::vector<ReloadItem> items = ReloadItemsAfterSave(catalogue_, *result);
  if (items.empty()) {
    StatusBar->SetPanelText(2, IsRenameMode() ? QStringLiteral("リネーム") : QStringLiteral("タグ編集"));
    if (!failures.isEmpty()) StatusBar->SetPanelText(0, failures);
    emit SaveDone();
    return;
  }
  saveReload_ = new FileReloadWorker(loadedFolder_, std::move(items), DefaultMediaReaders(), this);
  LockForWorker(true, kCancelReload);
  StatusBar->SetPanelText(2, QStringLiteral("リロード"));
  connect(saveReload_, &FileReloadWorker::BatchReady, this, [this](const ReloadBatchPtr& batch) {
    for (ReloadItem& item : batch->items) {
      const MediaFormat format = item.format;
      catalogue_.EditRow(format, static_cast<int>(item.row),
                         [&item](MediaFileEntry& entry) { ApplyReloadedItem(entry, std::move(item)); });
    }
  });
  connect(saveReload_, &FileReloadWorker::Finished, this, [this, failures] { ReloadAfterSave(failures); });
  saveReload_->Start();
}

void TFormMain::ReloadAfterSave(const QString& failureText) {
  saveReload_->deleteLater();
  saveReload_ = nullptr;
  LockForWorker(false, 0);
  StatusBar->SetPanelText(2, IsRenameMode() ? QStringLiteral("リネーム") : QStringLiteral("タグ編集"));
  // A failure must not look like success: it stays in panel 0.
  if (!failureText.isEmpty()) StatusBar->SetPanelText(0, failureText);
  ActiveFileList()->viewport()->update();
  ActiveTagTable()->viewport()->update();
  emit SaveDone();
}

}  // namespace hozanki
