// TFormListMain: the 定型リスト page. The library commands over the
// template library (保存, 登録, 更新, 消去, opening and moving an entry), the
// row commands, and インポート / エクスポート of the row editor's template.

#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

#include "core/listout/TemplateText.h"
#include "gui/listout/FormListMain.h"
#include "gui/listout/TemplateLibraryTree.h"
#include "gui/listout/TemplateRowEditor.h"

namespace hozanki {
namespace {

const QString kTextFilter = QStringLiteral("テキスト(*.txt)");
const QString kAllFilter = QStringLiteral("全てのファイル(*)");

QString Q(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::filesystem::path PathOf(const QString& name) {
  return std::filesystem::path(name.toStdString());
}

}  // namespace

std::filesystem::path TFormListMain::TemplateFilePath() const {
  return host_.settingsFolder / kTemplateFileName;
}

void TFormListMain::ShowLibrary() {
  TreeView->SetTemplates(library_.Templates());
  MenuListSave->setEnabled(library_.Dirty());
}

bool TFormListMain::ShowLibraryWarning(LibraryWarning warning) {
  if (warning == LibraryWarning::None) return false;
  Warn(Q(std::string(LibraryWarningText(warning))));
  if (warning == LibraryWarning::NoName) LabeledEdit->setFocus();
  return true;
}

void TFormListMain::MenuListSaveClick() {
  ListView->CommitEditor();
  std::string error;
  if (!library_.Save(TemplateFilePath(), &error)) {
    Warn(QStringLiteral("%1 を保存できません。\n%2").arg(QString::fromUtf8(kTemplateFileName), Q(error)));
    return;
  }
  MenuListSave->setEnabled(library_.Dirty());
}

void TFormListMain::MenuListRegClick() {
  ListView->CommitEditor();
  if (ShowLibraryWarning(library_.Register(LabeledEdit->text().toStdString(), EditExt->text().toStdString(),
                                           ListView->Rows())))
    return;
  ShowLibrary();
  TreeView->SelectIndex(static_cast<int>(library_.Templates().size()) - 1);
}

void TFormListMain::MenuListUpdClick() {
  ListView->CommitEditor();
  const int index = TreeView->SelectedIndex();
  if (ShowLibraryWarning(library_.Update(index, LabeledEdit->text().toStdString(),
                                         EditExt->text().toStdString(), ListView->Rows())))
    return;
  ShowLibrary();
  TreeView->SelectIndex(index);
}

void TFormListMain::MenuListDelClick() {
  ListView->CommitEditor();
  const int index = TreeView->SelectedIndex();
  if (index < 0) return;
  library_.Delete(index);
  ShowLibrary();
}

void TFormListMain::LibraryMoveRequested(int from, int onto) {
  library_.Move(from, onto);
  ShowLibrary();
  // From below it lands before the target, from above after it: at `onto`.
  TreeView->SelectIndex(onto);
}

void TFormListMain::TreeViewDblClick(int index) {
  if (index < 0 || index >= static_cast<int>(library_.Templates().size())) return;
  const ListTemplate& entry = library_.Templates()[static_cast<size_t>(index)];
  const TemplateTitleParts parts = SplitTemplateTitle(entry.title);
  EditExt->clear();
  LabeledEdit->setText(Q(parts.name));
  EditExt->setText(Q(parts.extension));
  ListView->SetRows(entry.rows);
}

void TFormListMain::MenuListItemAddClick() {
  ListView->AddRow();
}

void TFormListMain::MenuListItemCopyClick() {
  ListView->CopySelected();
}

void TFormListMain::MenuListItemDelClick() {
  ListView->DeleteSelected();
}

void TFormListMain::MenuListFileExportClick() {
  ListView->CommitEditor();
  QString start = exportName_;
  if (start.isEmpty())
    start = exportFolder_.isEmpty() ? Q(host_.currentFolder ? host_.currentFolder() : "") : exportFolder_;
  const QString name =
      dialogs_.saveFile(this, QStringLiteral("定型リストエクスポート"), start,
                        kTextFilter + QStringLiteral(";;") + kAllFilter, QStringLiteral("txt"));
  if (name.isEmpty()) return;
  exportFolder_ = QFileInfo(name).absolutePath();
  exportName_ = name;
  std::string error;
  if (!WriteTemplateFile(PathOf(name), ExportTemplate(ListView->Rows()), &error))
    Warn(QStringLiteral("%1 に書き込めません。\n%2").arg(name, Q(error)));
}

void TFormListMain::MenuListFileImportClick() {
  ListView->CommitEditor();
  const QString start =
      importFolder_.isEmpty() ? Q(host_.currentFolder ? host_.currentFolder() : "") : importFolder_;
  const QString name = dialogs_.openFile(this, QStringLiteral("定型リストインポート"), start,
                                         kTextFilter + QStringLiteral(";;") + kAllFilter, kAllFilter);
  if (name.isEmpty()) return;
  importFolder_ = QFileInfo(name).absolutePath();
  // Read first: a file that cannot be read leaves the row editor as it is.
  std::vector<std::string> lines;
  std::string error;
  if (!ReadTemplateFile(PathOf(name), lines, &error)) {
    Warn(QStringLiteral("%1 を読み込めません。\n%2").arg(name, Q(error)));
    return;
  }
  ListView->SetRows(ImportTemplate(lines));
}

}  // namespace hozanki
