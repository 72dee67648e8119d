#include "gui/rename/RenamePatternCommands.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>

#include "core/rename/PatternEvaluator.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/WindowPlacement.h"
#include "gui/rename/FormRename.h"
#include "gui/tagedit/SelectedRows.h"

namespace hozanki {
namespace {

constexpr int kMaxListedRefusals = 10;

// Why a name cannot be used, for the user.
QString RefusalText(const std::string& name) {
  if (name.empty()) return QStringLiteral("名前が空になります");
  if (name == "." || name == "..") return QStringLiteral("ファイル名として使えない名前です");
  if (name.find('/') != std::string::npos) return QStringLiteral("「/」を含みます");
  if (name.find('\0') != std::string::npos) return QStringLiteral("NUL 文字を含みます");
  return QStringLiteral("このプログラムの一時ファイルの名前です");
}

}  // namespace

RenamePatternCommands::RenamePatternCommands(RenamePatternHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {}

RenamePatternCommands::~RenamePatternCommands() {
  CloseFormRename();
}

void RenamePatternCommands::LoadPatterns() {
  patterns_ = LoadRenamePatterns(host_.settingsFolder / kRenamePatternFileName, &readError_);
  patternMenuStale_ = true;
}

void RenamePatternCommands::ReplacePatterns(RenamePatternStore store) {
  patterns_ = std::move(store);
  patternMenuStale_ = true;
}

const MediaFileEntry* RenamePatternCommands::FocusedEntry(int page) const {
  const auto& rows = host_.catalogue().Entries(static_cast<MediaFormat>(page));
  const int row = host_.fileList(page)->selectionModel()->currentIndex().row();
  if (row < 0 || row >= static_cast<int>(rows.size())) return nullptr;
  return &rows[static_cast<size_t>(row)];
}

void RenamePatternCommands::PopupRPopup() {
  QMenu* menu = host_.patternMenu;
  if (!patternMenuStale_) return;
  // Everything but the separator and "設定(&O)" goes; the patterns come first.
  QList<QAction*> items = menu->actions();
  for (qsizetype i = 0; i + 2 < items.size(); ++i) {
    menu->removeAction(items[i]);
    items[i]->deleteLater();
  }
  QAction* separator = menu->actions().value(0);
  const auto& patterns = patterns_[static_cast<size_t>(host_.filePage())];
  for (int i = 0; i < static_cast<int>(patterns.size()); ++i) {
    // "&" in a name is shown as itself, not as a mnemonic.
    QString caption = QString::fromStdString(patterns[static_cast<size_t>(i)].title);
    auto* item = new QAction(caption.replace(QLatin1Char('&'), QStringLiteral("&&")), menu);
    item->setObjectName(QStringLiteral("PopupRFormItem%1").arg(i));
    item->setData(i);
    connect(item, &QAction::triggered, this, [this, i] { PopupRFormClick(i); });
    menu->insertAction(separator, item);
  }
  patternMenuStale_ = false;
}

void RenamePatternCommands::PopupRFormClick(int index) {
  if (host_.busy()) return;
  host_.closeEditor();
  const int page = host_.filePage();
  const auto format = static_cast<MediaFormat>(page);
  const auto& patterns = patterns_[static_cast<size_t>(format)];
  if (index < 0 || index >= static_cast<int>(patterns.size())) return;
  QTableView* list = host_.fileList(page);
  // None selected: every row, and the list shows it so.
  const std::vector<int> rows = SelectedRowsOf(list, true);
  const bool extProtect = AppSettings::Current().extProtect;
  const EditTarget target = EditTarget::FileNames(format);
  Catalogue& catalogue = host_.catalogue();
  // The results as the pattern builds them; "ExtProtect" is added on storing.
  const std::vector<RenameProposal> proposals = ApplyRenamePattern(
      format, patterns[static_cast<size_t>(index)], catalogue.Entries(format), rows, false);
  QStringList refused;
  int refusedCount = 0;
  const Catalogue::ChangeBatch batch(catalogue);
  for (const RenameProposal& p : proposals) {
    if (!p.changed) continue;
    const MediaFileEntry& entry = catalogue.Entries(format)[static_cast<size_t>(p.row)];
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
    SetCellValue(catalogue, target, p.row, p.newName, ValueSource::FixedForm, extProtect);
  }
  list->viewport()->update();
  if (refusedCount == 0) return;
  if (refusedCount > kMaxListedRefusals)
    refused << QStringLiteral("ほか %1 件").arg(refusedCount - kMaxListedRefusals);
  QWidget* window = host_.window;
  auto* box =
      new QMessageBox(QMessageBox::Warning, window->windowTitle(),
                      QStringLiteral("次の %1 件は新しい名前が使えないため、名前を変更しませんでした。\n\n")
                              .arg(refusedCount) +
                          refused.join(QLatin1Char('\n')),
                      QMessageBox::Ok, window);
  box->setObjectName(QStringLiteral("FormRenameRefusals"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  const QPoint centre = window->frameGeometry().center();
  box->move(centre.x() - 120, centre.y() - 60);
  box->open();
}

TFormRename* RenamePatternCommands::OpenFormRename() {
  if (formRename_) {
    formRename_->raise();
    formRename_->activateWindow();
    return formRename_.data();
  }
  // An open in-place editor stores its text first: it gives the shortcuts
  // back to what it saw when it opened.
  host_.closeEditor();
  host_.dropShortcuts();
  formRename_ = new TFormRename(*this, host_.window, host_.filePage());
  connect(formRename_.data(), &QObject::destroyed, this, &RenamePatternCommands::FormRenameClosed);
  CentreOver(*formRename_, *host_.window);
  formRename_->show();
  return formRename_.data();
}

TFormRename* RenamePatternCommands::FormRenameWindow() const {
  return formRename_.data();
}

void RenamePatternCommands::CloseFormRename() {
  delete formRename_.data();
}

void RenamePatternCommands::FormRenameClosed() {
  host_.closeEditor();
  host_.restoreShortcuts();
}

}  // namespace hozanki
