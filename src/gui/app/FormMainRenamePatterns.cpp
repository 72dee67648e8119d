// TFormMain: fixed-form rename patterns. The submenu "定型リネーム(&F)" of the
// rename popup lists the patterns of the active file page's format and
// applies one to the selected names; "設定(&O)" and the Options menu open the
// pattern window, which takes the Edit menu's Ctrl+C, Ctrl+V and Ctrl+Z while
// it is open.

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableView>

#include "core/rename/PatternEvaluator.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/FormMain.h"
#include "gui/tagedit/CellCommands.h"
#include "gui/tagedit/SelectedRows.h"
#include "gui/app/WindowPlacement.h"
#include "gui/rename/FormRename.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"

namespace hozanki {
namespace {

const char* const kTagProperty = "hozankiTag";
constexpr int kMaxListedRefusals = 10;

// Why a name cannot be used, for the user.
QString RefusalText(const std::string& name) {
  if (name.empty()) return QStringLiteral("名前が空になります");
  if (name == "." || name == "..") return QStringLiteral("ファイル名として使えない名前です");
  if (name.find('/') != std::string::npos) return QStringLiteral("「/」を含みます");
  return QStringLiteral("NUL 文字を含みます");
}

}  // namespace

void TFormMain::SetUpRenamePatterns() {
  PopupRForm->setProperty(kTagProperty, 1);
  connect(PopupR, &QMenu::aboutToShow, this, &TFormMain::PopupRPopup);
  // Opened without PopupR (by key or by a test), it is brought up to date too.
  connect(PopupRForm, &QMenu::aboutToShow, this, &TFormMain::PopupRPopup);
  for (const char* name : {"MenuOptionRename", "PopupRFormOption"}) {
    QAction* item = findChild<QAction*>(QLatin1String(name));
    if (!item) continue;
    item->setEnabled(true);
    connect(item, &QAction::triggered, this, [this] { OpenFormRename(); });
  }
}

TFormRename* TFormMain::FormRenameWindow() const {
  return formRename_.data();
}

int TFormMain::ActiveFilePage() const {
  return PageControlF->currentIndex();
}

void TFormMain::ReplaceRenamePatterns(RenamePatternStore store) {
  renamePatterns_ = std::move(store);
  PopupRForm->setProperty(kTagProperty, 1);
}

void TFormMain::PopupRPopup() {
  if (PopupRForm->property(kTagProperty).toInt() != 1) return;
  // Everything but the separator and "設定(&O)" goes; the patterns come first.
  QList<QAction*> items = PopupRForm->actions();
  for (qsizetype i = 0; i + 2 < items.size(); ++i) {
    PopupRForm->removeAction(items[i]);
    items[i]->deleteLater();
  }
  QAction* separator = PopupRForm->actions().value(0);
  const auto& patterns = renamePatterns_[static_cast<size_t>(ActiveFilePage())];
  for (int i = 0; i < static_cast<int>(patterns.size()); ++i) {
    // "&" in a name is shown as itself, not as a mnemonic.
    QString caption = QString::fromStdString(patterns[static_cast<size_t>(i)].title);
    auto* item = new QAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")), PopupRForm);
    item->setObjectName(QStringLiteral("PopupRFormItem%1").arg(i));
    item->setData(i);
    connect(item, &QAction::triggered, this, [this, i] { PopupRFormClick(i); });
    PopupRForm->insertAction(separator, item);
  }
  PopupRForm->setProperty(kTagProperty, 0);
}

void TFormMain::PopupRFormClick(int index) {
  if (IsBusy()) return;
  Tables().Editors().CloseOpen();
  const auto format = static_cast<MediaFormat>(ActiveFilePage());
  const auto& patterns = renamePatterns_[static_cast<size_t>(format)];
  if (index < 0 || index >= static_cast<int>(patterns.size())) return;
  QTableView* list = ActiveFileList();
  // None selected: every row, and the list shows it so.
  const std::vector<int> rows = SelectedRowsOf(list, true);
  const bool extProtect = AppSettings::Current().extProtect;
  const EditTarget target = EditTarget::FileNames(format);
  // The results as the pattern builds them; "ExtProtect" is added on storing.
  const std::vector<RenameProposal> proposals = ApplyRenamePattern(
      format, patterns[static_cast<size_t>(index)], catalogue_.Entries(format), rows, false);
  QStringList refused;
  int refusedCount = 0;
  for (const RenameProposal& p : proposals) {
    if (!p.changed) continue;
    const MediaFileEntry& entry = catalogue_.Entries(format)[static_cast<size_t>(p.row)];
    const std::string stored = StoredText(entry, target, p.newName, ValueSource::FixedForm, extProtect);
    if (!RefuseFileName(stored).empty()) {
      if (++refusedCount <= kMaxListedRefusals)
        refused << QStringLiteral("%1 → %2（%3）")
                       .arg(QString::fromStdString(entry.file.cells[0].text),
                            QString::fromStdString(stored).replace(QChar(0), QStringLiteral("\\0")),
                            RefusalText(stored));
      continue;
    }
    if (stored == entry.file.cells[0].text) continue;  // nothing would change
    SetCellValue(catalogue_, target, p.row, p.newName, ValueSource::FixedForm, extProtect);
  }
  list->viewport()->update();
  if (refusedCount == 0) return;
  if (refusedCount > kMaxListedRefusals)
    refused << QStringLiteral("ほか %1 件").arg(refusedCount - kMaxListedRefusals);
  auto* box =
      new QMessageBox(QMessageBox::Warning, windowTitle(),
                      QStringLiteral("次の %1 件は新しい名前が使えないため、名前を変更しませんでした。\n\n")
                              .arg(refusedCount) +
                          refused.join(QLatin1Char('\n')),
                      QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("FormRenameRefusals"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  const QPoint centre = frameGeometry().center();
  box->move(centre.x() - 120, centre.y() - 60);
  box->open();
}

TFormRename* TFormMain::OpenFormRename() {
  if (formRename_) {
    formRename_->raise();
    formRename_->activateWindow();
    return formRename_.data();
  }
  // An open in-place editor stores its text first: it gives the shortcuts
  // back to what it saw when it opened.
  Tables().Editors().CloseOpen();
  cells_->DropEditShortcuts();
  formRename_ = new TFormRename(*this, ActiveFilePage());
  connect(formRename_.data(), &QObject::destroyed, this, &TFormMain::FormRenameClosed);
  CentreOver(*formRename_, *this);
  formRename_->show();
  return formRename_.data();
}

void TFormMain::FormRenameClosed() {
  Tables().Editors().CloseOpen();
  cells_->RestoreEditShortcuts();
}

}  // namespace hozanki
