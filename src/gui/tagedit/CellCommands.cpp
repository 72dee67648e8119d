#include "gui/tagedit/CellCommands.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>

#include "core/catalogue/TagFile.h"
#include "core/settings/AppSettings.h"
#include "core/settings/CompoundFile.h"
#include "core/tagedit/CopyData.h"
#include "core/tagedit/SetAll.h"
#include "core/tagedit/SetCellValue.h"
#include "core/tagedit/Undo.h"
#include "core/settings/ReadingDictionaryFile.h"
#include "core/tagedit/ReadingFill.h"
#include "core/text/ConvertText.h"
#include "core/text/Regexp.h"
#include "core/text/Substring.h"
#include "core/text/TextWidth.h"
#include "core/text/WildcardReplace.h"
#include "gui/app/WindowPlacement.h"
#include "gui/common/ReasonText.h"
#include "gui/tagedit/FormReading.h"
#include "gui/tagedit/FormSetAll.h"
#include "gui/tagedit/SelectedRows.h"
#include "gui/text/FormMulti.h"
#include "gui/text/FormRegexp.h"
#include "gui/text/FormRepair.h"
#include "gui/text/FormReplace.h"
#include "gui/text/FormSubstr.h"

namespace hozanki {

namespace {

constexpr int kMaxListedFailures = 10;

}  // namespace

CellCommands::CellCommands(CellCommandHost host, QObject* parent) : QObject(parent), host_(std::move(host)) {}

CellCommands::~CellCommands() {
  CloseCompoundWindow();
}

// Copy, paste, set-all, clear, undo, conversions.

void CellCommands::CopyFrom(bool fromFileList) {
  const bool extOmit = AppSettings::Current().extOmit;
  std::string text;
  const EditTarget target = host_.target(fromFileList);
  const std::vector<int> rows = SelectedRowsOf(host_.activeView(fromFileList), true);
  if (fromFileList || target.subItem >= 0)
    text = PartialCopyText(Data(), target, rows, extOmit);
  else
    text = WholeCopyText(Data(), *target.kind, rows);
  QClipboard* clipboard = QApplication::clipboard();
  clipboard->clear();
  clipboard->setText(QString::fromStdString(text));
}

void CellCommands::PasteInto(bool intoFileList) {
  const std::string text = QApplication::clipboard()->text().toStdString();
  const bool extProtect = AppSettings::Current().extProtect;
  const EditTarget target = host_.target(intoFileList);
  if (intoFileList) {
    PartialPaste(Data(), target, SelectedRowsOf(host_.activeView(true), true), text, extProtect);
    return;
  }
  if (target.subItem == 0) return;  // the relative names are never pasted into
  const std::vector<int> rows = SelectedRowsOf(host_.activeView(false), true);
  if (target.subItem >= 1)
    PartialPaste(Data(), target, rows, text, extProtect);
  else
    WholePaste(Data(), *target.kind, rows, text);
}

void CellCommands::UndoIn(bool inFileList) {
  const EditTarget target = host_.target(inFileList);
  if (inFileList) {
    UndoFileNames(Data(), target.format, SelectedRowsOf(host_.activeView(true), false));
    return;
  }
  const std::vector<int> rows = SelectedRowsOf(host_.activeView(false), false);
  if (rows.empty()) return;
  // The file-name column is not a value: nothing to take back there.
  if (target.subItem == 0) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  UndoTagRows(Data(), host_.currentFolder(), *target.kind, rows, target.subItem >= 1 ? target.subItem : 0);
  QApplication::restoreOverrideCursor();
}

void CellCommands::MenuEditCopyClick() {
  CopyFrom(host_.renameMode());
}

void CellCommands::MenuEditPasteClick() {
  PasteInto(host_.renameMode());
}

void CellCommands::MenuEditUndoClick() {
  if (host_.activeView(true)->hasFocus())
    UndoIn(true);
  else if (host_.activeView(false)->hasFocus())
    UndoIn(false);
}

void CellCommands::PopupTSetAllClick() {
  const EditTarget target = host_.target(false);
  if (target.subItem < 1) return;
  QTableView* table = host_.activeView(false);
  const int focused = table->selectionModel()->currentIndex().row();
  TFormSetAll dialog(ChooseSetAllPage(*target.kind, target.subItem + 1),
                     focused >= 0 ? CellText(Data(), target, focused) : "", host_.settingsFolder,
                     host_.window);
  if (dialog.exec() != QDialog::Accepted) return;
  std::vector<int> rows = SelectedRowsOf(table, true);
  if (dialog.SelectAll()) table->selectAll();
  std::string total;
  ApplySetAll(Data(), target, rows, dialog.SelectAll(), dialog.Input(), &total);
}

void CellCommands::PopupConvertClick(int kind) {
  const bool rename = host_.renameMode();
  QTableView* view = host_.activeView(rename);
  const EditTarget target = host_.target(rename);
  if (!rename && !target.IsValueColumn()) return;
  const std::vector<int> selected = SelectedRowsOf(view, false);
  ApplyToRows(
      Data(), target, selected, kConversionRows, [kind, rename](const std::string& text, std::string&) {
        if (!rename) return ConvertText(kind, text);
        // Only the name; the extension stays as it is.
        const size_t dot = ExtensionPos(text);
        const std::string_view name = std::string_view(text).substr(0, dot);
        return ConvertText(kind, name) + (dot == std::string::npos ? std::string() : text.substr(dot));
      });
}

void CellCommands::PopupTClearClick() {
  const EditTarget target = host_.target(false);
  if (target.subItem < 1) return;
  ClearCells(Data(), target, SelectedRowsOf(host_.activeView(false), true));
}

// Readings.

void CellCommands::PopupReadingClick() {
  if (host_.renameMode() || host_.busy()) return;
  const EditTarget target = host_.target(false);
  if (!target.kind) return;
  const TagKind kind = *target.kind;
  const std::vector<ReadingColumn> columns = ReadingColumnsOf(kind);
  const QString title = QStringLiteral("読みを設定");
  if (columns.empty()) {
    QMessageBox::information(host_.window, title, QStringLiteral("この表には読みの列がありません。"));
    return;
  }
  // Only the selected rows, as the conversions: no selection, nothing.
  const std::vector<int> selected = SelectedRowsOf(host_.activeView(false), false);
  if (selected.empty()) return;
  if (!reader_) {
    std::string error;
    reader_ = KanjiReader::Open(&error);
    if (!reader_) {
      QMessageBox::warning(host_.window, title, ReasonText(error));
      return;
    }
  }
  const std::filesystem::path file =
      host_.settingsFolder.empty() ? std::filesystem::path() : host_.settingsFolder / kReadingDictionaryFileName;
  ReadingDictionary user;
  std::string error;
  if (!file.empty() && !ReadReadingDictionary(file, user, &error))
    QMessageBox::warning(host_.window, title,
                         QStringLiteral("読みの辞書を読めないため、使わずに読みます。\n%1")
                             .arg(ReasonText(error)));

  const bool editIsReading = std::any_of(columns.begin(), columns.end(), [&](const ReadingColumn& column) {
    return column.readingCell == target.subItem;
  });
  std::vector<TFormReading::ColumnChoice> choices;
  for (const ReadingColumn& column : columns) {
    static const char* const kCaptions[] = {"読み (アーティスト)", "読み (アルバムアーティスト)", "読み (アルバム)",
                                            "読み (タイトル)"};
    const size_t index = static_cast<size_t>(column.field) - static_cast<size_t>(ExtraField::ArtistReading);
    choices.push_back({column.readingCell, QString::fromUtf8(kCaptions[index]),
                       !editIsReading || column.readingCell == target.subItem});
  }
  const KanjiReader& reader = *reader_;
  TFormReading form(
      choices,
      [&](const std::vector<int>& cells, const ReadingOptions& options) {
        return ProposeReadings(Data(), kind, selected, cells, reader, options, &user);
      },
      readingOptions_, host_.window);
  if (form.exec() != QDialog::Accepted) return;
  readingOptions_ = form.Options();
  StageReadings(Data(), kind, form.Proposals());
  const std::vector<ReadingCorrection> corrections = form.Corrections();
  if (!file.empty() && !corrections.empty() && LearnReadings(file, corrections, user, &error) < 0)
    QMessageBox::warning(host_.window, title,
                         QStringLiteral("直した読みを辞書に書けませんでした。\n%1").arg(ReasonText(error)));
}

// Replace, regular expression, substring.

bool CellCommands::HasTextCommandTarget() const {
  // Rename mode: the whole file name; tag edit mode: a value column.
  return host_.renameMode() || host_.target(false).IsValueColumn();
}

void CellCommands::ApplyTextCommand(bool selectAll, const CellComputation& compute) {
  const bool rename = host_.renameMode();
  QTableView* view = host_.activeView(rename);
  const EditTarget target = host_.target(rename);
  // No selected row means every row; so does "すべて選択". Either way the
  // table shows all rows selected afterwards.
  std::vector<int> selected = SelectedRowsOf(view, true);
  if (selectAll) {
    view->selectAll();
    selected.clear();
  }
  ReportFailures(target, ApplyToRows(Data(), target, selected, kTextCommandRows, compute).failures);
}

void CellCommands::ReportFailures(const EditTarget& target, const std::vector<RowFailure>& failures) {
  if (failures.empty()) return;
  const std::vector<MediaFileEntry>& entries = Data().Entries(target.format);
  QStringList lines;
  for (size_t i = 0; i < failures.size() && i < kMaxListedFailures; ++i) {
    const auto& [row, reason] = failures[i];
    const QString name = row >= 0 && static_cast<size_t>(row) < entries.size()
                             ? QString::fromStdString(entries[static_cast<size_t>(row)].file.cells[0].text)
                             : QString();
    lines << QStringLiteral("%1 行目 %2：%3").arg(row + 1).arg(name, ReasonText(reason));
  }
  if (failures.size() > kMaxListedFailures)
    lines << QStringLiteral("ほか %1 行").arg(failures.size() - kMaxListedFailures);
  auto* box =
      new QMessageBox(QMessageBox::Warning, host_.window->windowTitle(),
                      QStringLiteral("次の %1 行は文字列を処理できなかったため、変更していません。\n\n")
                              .arg(failures.size()) +
                          lines.join(QLatin1Char('\n')),
                      QMessageBox::Ok, host_.window);
  box->setObjectName(QStringLiteral("TextCommandFailures"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void CellCommands::PopupReplaceClick() {
  if (!HasTextCommandTarget()) return;
  if (!formReplace_) formReplace_ = new TFormReplace(host_.settingsFolder, host_.window);
  if (formReplace_->exec() != QDialog::Accepted) return;
  const ReplacePattern pattern = BuildReplacePattern(
      formReplace_->SearchText(), formReplace_->ReplacementText(), formReplace_->IgnoreCase());
  ApplyTextCommand(formReplace_->SelectAll(), [&pattern](const std::string& text, std::string& error) {
    return ApplyReplace(pattern, text, &error);
  });
  formReplace_->RememberTexts();
}

void CellCommands::PopupRegexpClick() {
  if (!HasTextCommandTarget()) return;
  if (!formRegexp_) formRegexp_ = new TFormRegexp(host_.settingsFolder, host_.window);
  if (formRegexp_->exec() != QDialog::Accepted) return;
  const std::string pattern = formRegexp_->Pattern();
  ApplyTextCommand(formRegexp_->SelectAll(), [&pattern](const std::string& text, std::string& error) {
    return ApplyRegexp(pattern, text, &error);
  });
  formRegexp_->RememberPattern();
}

void CellCommands::PopupSubstrClick() {
  if (!HasTextCommandTarget()) return;
  if (!formSubstr_) formSubstr_ = new TFormSubstr(host_.window);
  if (formSubstr_->exec() != QDialog::Accepted) return;
  const std::string spec = formSubstr_->Spec();
  ApplyTextCommand(formSubstr_->SelectAll(),
                   [&spec](const std::string& text, std::string&) { return Substring(text, spec); });
}

// Compound edits.

void CellCommands::LoadCompoundEdits() {
  compoundStore_ = LoadCompoundStore(host_.settingsFolder / kCompoundFileName, &compoundStoreReadError_);
  BuildCompoundMenus();
}

void CellCommands::BuildCompoundMenus() {
  for (QMenu* menu : host_.compoundMenus) {
    // Every entry but the separator and "設定(&O)" goes, then the store's.
    QList<QAction*> items = menu->actions();
    for (qsizetype i = 0; i + 2 < items.size(); ++i) {
      menu->removeAction(items[i]);
      delete items[i];
    }
    QAction* separator = menu->actions().value(0);
    for (size_t i = 0; i < compoundStore_.size(); ++i) {
      auto* item = new QAction(QString::fromStdString(compoundStore_[i].title), menu);
      item->setData(static_cast<int>(i));
      // Titles are shown as they are: no "&" mnemonics.
      item->setText(item->text().replace(QLatin1Char('&'), QLatin1String("&&")));
      connect(item, &QAction::triggered, this, [this, i] { PopupMultiClick(static_cast<int>(i)); });
      menu->insertAction(separator, item);
    }
  }
}

void CellCommands::PopupMultiClick(int index) {
  if (index < 0 || index >= static_cast<int>(compoundStore_.size())) return;
  const bool rename = host_.renameMode();
  QTableView* view = host_.activeView(rename);
  const EditTarget target = host_.target(rename);
  if (!rename && !target.IsValueColumn()) return;
  // Only the selected rows, every one of them; nothing is selected for the user.
  const std::vector<int> selected = SelectedRowsOf(view, false);
  if (selected.empty()) return;
  const std::vector<CompoundStep> steps = compoundStore_[static_cast<size_t>(index)].steps;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  view->setUpdatesEnabled(false);
  // In rename mode the whole name, extension included.
  const ApplyResult result = ApplyToRows(
      Data(), target, selected, kCompoundRows,
      [&steps](const std::string& text, std::string& error) { return RunCompound(steps, text, &error); });
  view->setUpdatesEnabled(true);
  QApplication::restoreOverrideCursor();
  ReportFailures(target, result.failures);
}

std::optional<std::string> CellCommands::CompoundCheckCell() const {
  const bool rename = host_.renameMode();
  QTableView* view = host_.activeView(rename);
  const EditTarget target = host_.target(rename);
  if (!rename && target.subItem < 0) return std::nullopt;
  const int row = view->selectionModel()->currentIndex().row();
  if (row < 0) return std::nullopt;
  return CellText(Data(), target, row);
}

bool CellCommands::StoreCompoundEdits(const std::vector<CompoundEdit>& edits, std::string* error) {
  if (!compoundStoreReadError_.empty()) {
    if (error) *error = UnreadableStoreText(compoundStoreReadError_);
    return false;
  }
  if (!WriteCompoundFile(host_.settingsFolder / kCompoundFileName, edits,
                         static_cast<int>(compoundStore_.size()), error))
    return false;
  compoundStore_ = edits;
  BuildCompoundMenus();
  return true;
}

void CellCommands::MenuOptionMultiClick() {
  // One window at a time: a second would save over the first one's changes.
  if (formMulti_) {
    formMulti_->raise();
    formMulti_->activateWindow();
    return;
  }
  auto* form = new TFormMulti(
      compoundStore_, host_.settingsFolder,
      [this](const std::vector<CompoundEdit>& edits, std::string* error) {
        return StoreCompoundEdits(edits, error);
      },
      [this] { return CompoundCheckCell(); }, host_.window);
  formMulti_ = form;
  DropEditShortcuts();
  connect(form, &QObject::destroyed, this, [this] { RestoreEditShortcuts(); });
  CentreOver(*form, *host_.window);
  form->show();
}

void CellCommands::CloseCompoundWindow() {
  if (!formMulti_) return;
  formMulti_->close();  // writes its settings
  delete formMulti_.data();
}

void CellCommands::DropEditShortcuts() {
  if (shortcutDrops_++ > 0) return;
  const QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_V),
                                 QKeySequence(Qt::CTRL | Qt::Key_Z)};
  for (QAction* item : host_.window->findChildren<QAction*>())
    if (keys.contains(item->shortcut())) {
      droppedShortcuts_.emplace_back(item, item->shortcut());
      item->setShortcut(QKeySequence());
    }
}

void CellCommands::RestoreEditShortcuts() {
  if (shortcutDrops_ == 0 || --shortcutDrops_ > 0) return;
  for (auto& [item, key] : droppedShortcuts_)
    if (item) item->setShortcut(key);
  droppedShortcuts_.clear();
}

// Encoding repair: every value that is garbled or held in a legacy form is
// listed in TFormRepair; OK stores the ticked ones with SetCellValue and
// marks the files to be written in Unicode forms (ID3v2 as UTF-16, RIFF INFO
// as UTF-8). Nothing reaches the disk before a save.

void CellCommands::RepairClick(bool fromFileList) {
  const std::filesystem::path folder = host_.currentFolder();
  if (host_.busy() || folder.empty()) return;
  QTableView* view = host_.activeView(fromFileList);
  const MediaFormat format = host_.target(fromFileList).format;
  Catalogue& catalogue = Data();
  const std::vector<int> rows = SelectedRowsOf(view, false);

  std::vector<RepairRow> found;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  for (RowRepairFinding& f : ScanForRepairs(catalogue, format, rows, folder)) {
    const MediaFileEntry& entry = catalogue.Entries(format)[static_cast<size_t>(f.row)];
    RepairRow row;
    row.format = format;
    row.row = f.row;
    row.fileName = entry.tags.empty() ? entry.file.cells[0].text : entry.tags[0].cells[0].text;
    row.chosen = f.finding.diagnosis.source;
    row.finding = std::move(f.finding);
    found.push_back(std::move(row));
  }
  QApplication::restoreOverrideCursor();
  if (found.empty()) {
    QMessageBox::information(host_.window, host_.window->windowTitle(),
                             QStringLiteral("修復が必要な値は見つかりませんでした。"));
    return;
  }
  TFormRepair dialog(std::move(found), host_.window);
  if (dialog.exec() != QDialog::Accepted) return;
  const Catalogue::ChangeBatch batch(catalogue);
  for (const RepairRow& r : dialog.Accepted()) {
    const EditTarget target = EditTarget::TagColumn(r.finding.kind, r.finding.subItem);
    SetCellValue(catalogue, target, r.row, *r.Result());
    catalogue.EditRow(r.format, r.row, [](MediaFileEntry& e) { e.forceUnicode = true; });
  }
}

}  // namespace hozanki
