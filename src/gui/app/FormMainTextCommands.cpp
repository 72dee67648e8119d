// TFormMain: "置換(&R)", "正規表現(&G)" and "部分参照(&S)" of the popups
// `PopupT` and `PopupR`. Each asks its dialog (made on first use, kept until
// the window goes) and turns the text of the edit column of the rows open to
// editing into new text, stored with SetCellValue.

#include <QAction>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QTableView>

#include "core/tagedit/SetCellValue.h"
#include "core/text/Regexp.h"
#include "core/text/Substring.h"
#include "core/text/WildcardReplace.h"
#include "gui/app/FormMain.h"
#include "gui/text/FormRegexp.h"
#include "gui/text/FormReplace.h"
#include "gui/text/FormSubstr.h"

namespace hozanki {

namespace {

constexpr int kMaxListedFailures = 10;

}  // namespace

void TFormMain::ConnectTextCommands() {
  const std::pair<const char*, void (TFormMain::*)()> items[] = {
      {"PopupTReplace", &TFormMain::PopupReplaceClick}, {"PopupRReplace", &TFormMain::PopupReplaceClick},
      {"PopupTRegexp", &TFormMain::PopupRegexpClick},   {"PopupRRegexp", &TFormMain::PopupRegexpClick},
      {"PopupTSubstr", &TFormMain::PopupSubstrClick},   {"PopupRSubstr", &TFormMain::PopupSubstrClick}};
  for (const auto& [name, slot] : items) {
    QAction* item = findChild<QAction*>(QLatin1String(name));
    if (!item) continue;
    item->setEnabled(true);
    connect(item, &QAction::triggered, this, slot);
  }
}

bool TFormMain::HasTextCommandTarget() const {
  // Rename mode: the whole file name; tag edit mode: a value column.
  return IsRenameMode() || CurrentTarget(false).IsValueColumn();
}

void TFormMain::ApplyTextCommand(
    bool selectAll, const std::function<std::string(const std::string&, std::string& error)>& compute) {
  const bool rename = IsRenameMode();
  QTableView* view = rename ? ActiveFileList() : ActiveTagTable();
  const EditTarget target = CurrentTarget(rename);
  // No selected row means every row; so does "すべて選択". Either way the
  // table shows all rows selected afterwards.
  std::vector<int> selected = SelectedRowsOf(view, true);
  if (selectAll) {
    view->selectAll();
    selected.clear();
  }
  std::vector<std::pair<int, std::string>> failures;
  std::string error;
  for (int row : RowsOpenToEditing(catalogue_, target, selected)) {
    const std::string text = CellText(catalogue_, target, row);
    error.clear();
    const std::string changed = compute(text, error);
    if (!error.empty()) {
      failures.emplace_back(row, error);
      continue;
    }
    if (changed != text) SetCellValue(catalogue_, target, row, changed);
  }
  ReportTextCommandFailures(target, failures);
}

void TFormMain::ReportTextCommandFailures(const EditTarget& target,
                                          const std::vector<std::pair<int, std::string>>& failures) {
  if (failures.empty()) return;
  const std::vector<MediaFileEntry>& entries = catalogue_.Entries(target.format);
  QStringList lines;
  for (size_t i = 0; i < failures.size() && i < kMaxListedFailures; ++i) {
    const auto& [row, reason] = failures[i];
    const QString name = row >= 0 && static_cast<size_t>(row) < entries.size()
                             ? QString::fromStdString(entries[static_cast<size_t>(row)].file.cells[0].text)
                             : QString();
    lines << QStringLiteral("%1 行目 %2：%3").arg(row + 1).arg(name, QString::fromStdString(reason));
  }
  if (failures.size() > kMaxListedFailures)
    lines << QStringLiteral("ほか %1 行").arg(failures.size() - kMaxListedFailures);
  auto* box =
      new QMessageBox(QMessageBox::Warning, windowTitle(),
                      QStringLiteral("次の %1 行は文字列を処理できなかったため、変更していません。\n\n")
                              .arg(failures.size()) +
                          lines.join(QLatin1Char('\n')),
                      QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("TextCommandFailures"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void TFormMain::PopupReplaceClick() {
  if (!HasTextCommandTarget()) return;
  if (!formReplace_) formReplace_ = new TFormReplace(settingsFolder_, this);
  if (formReplace_->exec() != QDialog::Accepted) return;
  const ReplacePattern pattern = BuildReplacePattern(
      formReplace_->SearchText(), formReplace_->ReplacementText(), formReplace_->IgnoreCase());
  ApplyTextCommand(formReplace_->SelectAll(), [&pattern](const std::string& text, std::string& error) {
    return ApplyReplace(pattern, text, &error);
  });
  formReplace_->RememberTexts();
}

void TFormMain::PopupRegexpClick() {
  if (!HasTextCommandTarget()) return;
  if (!formRegexp_) formRegexp_ = new TFormRegexp(settingsFolder_, this);
  if (formRegexp_->exec() != QDialog::Accepted) return;
  const std::string pattern = formRegexp_->Pattern();
  ApplyTextCommand(formRegexp_->SelectAll(), [&pattern](const std::string& text, std::string& error) {
    return ApplyRegexp(pattern, text, &error);
  });
  formRegexp_->RememberPattern();
}

void TFormMain::PopupSubstrClick() {
  if (!HasTextCommandTarget()) return;
  if (!formSubstr_) formSubstr_ = new TFormSubstr(this);
  if (formSubstr_->exec() != QDialog::Accepted) return;
  const std::string spec = formSubstr_->Spec();
  ApplyTextCommand(formSubstr_->SelectAll(),
                   [&spec](const std::string& text, std::string&) { return Substring(text, spec); });
}

}  // namespace hozanki
