// TFormListMain: the プレビュー page. Generating the list into the editable
// preview, writing what the preview holds ("リスト出力"), and the base path.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "core/listout/ListEngine.h"
#include "core/listout/ListOutput.h"
#include "core/text/Cp932.h"
#include "gui/listout/FormListMain.h"
#include "gui/listout/PickedFileModel.h"
#include "gui/listout/PickedFileView.h"
#include "gui/listout/TemplateRowEditor.h"
#include "gui/tagedit/HistoryCombo.h"

namespace hozanki {
namespace {

QString Q(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What the preview holds, line breaks as "\n", every other character as typed.
std::string PreviewText(const QPlainTextEdit* preview) {
  QString text = preview->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  return text.toStdString();
}

// The first line (from 1) and character that code page 932 cannot hold.
QString ShiftJisRefusal(const std::vector<std::string>& lines) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (const std::optional<MisfitCharacter> misfit = FirstMisfitCp932(lines[i])) {
      const QString character = Q(misfit->character);
      const QString code = QString::number(character.isEmpty() ? 0u : character.toUcs4().value(0), 16)
                               .toUpper()
                               .rightJustified(4, QLatin1Char('0'));
      return QStringLiteral(
                 "%1 行目の文字「%2」(U+%3) は Shift-JIS で書き込めません。\n"
                 "「Unicode」にチェックを入れ、「UTF-8」か「UTF-16」を選んで出力してください。"
                 "何も書き込んでいません。")
          .arg(i + 1)
          .arg(character, code);
    }
  return {};
}

}  // namespace

void TFormListMain::MenuListPreviewClick() {
  ListView->CommitEditor();
  const int page = PageControl->currentIndex();
  const std::vector<TemplateRow> rows = ListView->Rows();
  if (page == kListupPage && rows.empty()) {
    ShowPage(kListFormPage);
    return;
  }
  if (page != kPreviewPage) ShowPage(kPreviewPage);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ComboBoxExt->setEditText(EditExt->text());
  RichEditPreview->clear();
  RichEditPreview->setUpdatesEnabled(false);
  // The current file: the first focused row of either list, else the first.
  int current = -1;
  if (picked_->Count() > 0) {
    const int f = ListViewF->currentIndex().row();
    const int t = ListViewT->currentIndex().row();
    current = f >= 0 && t >= 0 ? std::min(f, t) : std::max({f, t, 0});
  }
  ListEngine engine(picked_->Files(), picked_->Totals(),
                    BasePath{CheckBoxPath->isChecked(), EditPath->text().toStdString()});
  const std::vector<std::string> lines = engine.Generate(rows, current);
  QStringList text;
  text.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) text << Q(line);
  RichEditPreview->setPlainText(text.join(QLatin1Char('\n')));
  RichEditPreview->setUpdatesEnabled(true);
  QApplication::restoreOverrideCursor();
}

void TFormListMain::MenuListOutClick() {
  const QString ext = ComboBoxExt->currentText();
  QString filter = QStringLiteral("*.*");
  if (!ext.isEmpty()) {
    if (!outputName_.endsWith(QLatin1Char('.') + ext, Qt::CaseInsensitive)) outputName_.clear();
    filter = QStringLiteral("%1 (*.%1)").arg(ext);
    AddToHistory(ComboBoxExt, ext);
  } else {
    filter = QStringLiteral("*.* (*)");
  }
  QString start =
      outputFolder_.isEmpty() ? Q(host_.currentFolder ? host_.currentFolder() : "") : outputFolder_;
  if (CheckBoxPath->isChecked() && !EditPath->text().isEmpty()) start = EditPath->text();
  if (!outputName_.isEmpty()) start += QLatin1Char('/') + QFileInfo(outputName_).fileName();
  const QString name = dialogs_.saveFile(this, QStringLiteral("リスト出力"), start, filter, ext);
  if (name.isEmpty()) return;
  outputFolder_ = QFileInfo(name).absolutePath();
  outputName_ = name;

  const std::vector<std::string> lines = SplitPreviewLines(PreviewText(RichEditPreview));
  // A play list named .m3u8 is UTF-8 by its convention, whatever "Unicode" says.
  ListEncoding encoding = ListEncoding::ShiftJis;
  if (CheckBoxUnicode->isChecked())
    encoding =
        ComboBoxUnicode->currentText() == QStringLiteral("UTF-8") ? ListEncoding::Utf8 : ListEncoding::Utf16;
  if (name.endsWith(QStringLiteral(".m3u8"), Qt::CaseInsensitive)) encoding = ListEncoding::Utf8;
  if (encoding == ListEncoding::ShiftJis) {
    const QString refusal = ShiftJisRefusal(lines);
    if (!refusal.isEmpty()) {
      Warn(refusal);
      return;
    }
  }
  std::string error;
  if (!WriteListOutput(std::filesystem::path(name.toStdString()), lines, encoding, &error))
    Warn(QStringLiteral("%1 に書き込めません。\n%2").arg(name, Q(error)));
}

void TFormListMain::CheckBoxPathClick() {
  const bool on = CheckBoxPath->isChecked();
  EditPath->setEnabled(on);
  ButtonPath->setEnabled(on);
  if (on && EditPath->text().isEmpty() && host_.currentFolder) EditPath->setText(Q(host_.currentFolder()));
}

void TFormListMain::ButtonPathClick() {
  const QString folder = dialogs_.folder(this, QStringLiteral("基準パス指定"), EditPath->text());
  if (!folder.isEmpty()) EditPath->setText(folder);
}

}  // namespace hozanki
