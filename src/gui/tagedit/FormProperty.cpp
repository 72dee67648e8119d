#include "gui/tagedit/FormProperty.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/catalogue/ColumnTables.h"
#include "core/catalogue/FolderScan.h"
#include "core/catalogue/MediaReader.h"
#include "core/catalogue/TagFile.h"
#include "gui/app/HelpLocator.h"
#include "gui/common/ReasonText.h"

namespace hozanki {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Caption(std::string_view caption) {
  return Text(caption).trimmed();
}

// Shown, selectable and copyable, but not looking like an input box: no
// frame, the dialog's own background instead of the white of a field.
void LookReadOnly(QWidget* field) {
  QPalette palette = field->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Window));
  field->setPalette(palette);
  field->setAutoFillBackground(false);
}

// A read-only field; multi-line values get a small text box.
QWidget* Field(const QString& value) {
  if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
    auto* box = new QPlainTextEdit;
    QString text = value;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(text);
    box->setReadOnly(true);
    box->setFrameShape(QFrame::NoFrame);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * 4 + 8);
    LookReadOnly(box);
    return box;
  }
  auto* edit = new QLineEdit(value);
  edit->setReadOnly(true);
  edit->setFrame(false);
  edit->setCursorPosition(0);
  LookReadOnly(edit);
  return edit;
}

QWidget* Scrolled(QWidget* content) {
  auto* area = new QScrollArea;
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setWidget(content);
  return area;
}

QString Mp3TagKinds(uint32_t mask) {
  QStringList kinds;
  if (mask & kMaskID3v1)
    kinds << ((mask & kMaskID3v1_1) ? QStringLiteral("ID3v1.1") : QStringLiteral("ID3v1.0"));
  if (mask & kMaskID3v2) {
    QString v = QStringLiteral("ID3v2");
    if (mask & kMaskID3v2_2) v += QStringLiteral(".2");
    if (mask & kMaskID3v2_3) v += QStringLiteral(".3");
    if (mask & kMaskID3v2_4) v += QStringLiteral(".4");
    kinds << v;
  }
  if (mask & kMaskRIFF) kinds << QStringLiteral("RIFF");
  if (mask & kMaskAPEv1) kinds << QStringLiteral("APEv1");
  if (mask & kMaskAPEv2) kinds << QStringLiteral("APEv2");
  return kinds.isEmpty() ? QStringLiteral("なし") : kinds.join(QStringLiteral(", "));
}

}  // namespace

FormProperty::FormProperty(const std::filesystem::path& path, MediaFormat format, int page, QWidget* parent)
    : QDialog(parent), path_(path), format_(format), pages_(new QTabWidget) {
  setObjectName(QStringLiteral("FormProperty"));
  setWindowTitle(QStringLiteral("プロパティ - ") + Text(DisplayName(path.filename())));
  AddHelpKey(this, kHelpContext);
  pages_->setObjectName(QStringLiteral("PageControl"));
  std::string error;
  std::unique_ptr<TagFile> file = OpenTagFile(path, &error);
  if (file)
    for (TagKind kind : TagKindsOf(format)) pages_->addTab(TagPage(*file, kind), Text(TagKindName(kind)));
  pages_->addTab(DetailsPage(file.get(), error), QStringLiteral("ファイル情報"));
  pages_->setCurrentIndex(file ? std::clamp(page, 0, pages_->count() - 1) : 0);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addWidget(buttons);
  resize(480, 420);
}

QWidget* FormProperty::TagPage(const TagFile& file, TagKind kind) {
  auto* content = new QWidget;
  auto* form = new QFormLayout(content);
  const auto columns = TagTableColumns(kind);
  const auto names = ValueNamesOf(kind);
  for (size_t i = 0; i < names.size(); ++i) {
    const QString caption = i + 2 < columns.size() ? Caption(columns[i + 2].caption) : QString();
    for (const std::string_view stored : StoredNamesOf(kind, names[i])) {
      const std::string name(stored);
      QWidget* field = Field(QString::fromStdString(file.GetValue(name)));
      field->setObjectName(QString::fromStdString(name));
      form->addRow(caption + QStringLiteral(" (") + QString::fromStdString(name) + QLatin1Char(')'), field);
    }
  }
  return Scrolled(content);
}

QWidget* FormProperty::DetailsPage(const TagFile* file, const std::string& error) {
  auto* content = new QWidget;
  auto* form = new QFormLayout(content);
  auto add = [form](const QString& label, const QString& value, const char* name) {
    QWidget* field = Field(value);
    field->setObjectName(QLatin1String(name));
    form->addRow(label, field);
  };
  add(QStringLiteral("パス"), Text(DisplayName(path_)), "Path");
  add(QStringLiteral("形式"), Text(FormatName(format_)), "Format");
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0) {
    add(QStringLiteral("サイズ"),
        QString::fromStdString(SizeText(static_cast<uint64_t>(st.st_size))) + QStringLiteral(" バイト"),
        "Size");
    add(QStringLiteral("タイムスタンプ"), QString::fromStdString(TimeStampText(st.st_mtime)), "TimeStamp");
  }
  if (!file) {
    add(QStringLiteral("エラー"), QStringLiteral("読み込めません: ") + ReasonText(error), "Error");
    return Scrolled(content);
  }
  add(QStringLiteral("時間 (TIME)"), QString::fromStdString(file->GetValue("TIME")), "TIME");
  add(QStringLiteral("音声形式 (AFMT)"), QString::fromStdString(file->GetValue("AFMT")), "AFMT");
  const std::string video = file->GetValue("VFMT");
  if (!video.empty()) add(QStringLiteral("映像形式 (VFMT)"), QString::fromStdString(video), "VFMT");
  if (format_ == MediaFormat::MP3) add(QStringLiteral("タグ"), Mp3TagKinds(file->TagMask()), "Tags");
  return Scrolled(content);
}

}  // namespace hozanki
