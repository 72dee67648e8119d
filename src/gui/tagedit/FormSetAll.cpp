#include "gui/tagedit/FormSetAll.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "core/catalogue/GenreList.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/text/TextWidth.h"
#include "gui/app/HelpLocator.h"
#include "gui/tagedit/WidthLimitValidator.h"

namespace hozanki {
namespace {

namespace keys = settings::setall;

QSpinBox* NumberBox(const char* name, int value) {
  auto* box = new QSpinBox;
  box->setObjectName(QLatin1String(name));
  box->setRange(0, 99);  // at most 2 characters
  box->setValue(value);
  return box;
}

}  // namespace

TFormSetAll::TFormSetAll(const SetAllLayout& layout, const std::string& cell,
                         const std::filesystem::path& settingsFolder, QWidget* parent)
    : QDialog(parent), layout_(layout), settingsFolder_(settingsFolder) {
  setObjectName(QStringLiteral("FormSetAll"));
  setWindowTitle(QStringLiteral("一括入力"));
  AddHelpKey(this, kHelpContext);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

  // The pages' tabs are never shown: a stack shows only the chosen one.
  PageControl = new QStackedWidget;
  PageControl->setObjectName(QStringLiteral("PageControl"));
  PageControl->addWidget(BuildTextPage(cell));
  PageControl->addWidget(BuildGenrePage(cell));
  PageControl->addWidget(BuildMemoPage(cell));
  PageControl->addWidget(BuildNumberPage());
  PageControl->addWidget(BuildPairPage());
  PageControl->setCurrentIndex(static_cast<int>(layout.page));

  ButtonOk = new QPushButton(QStringLiteral("OK"));
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonCancel = new QPushButton(QStringLiteral("Cancel"));
  ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
  CheckBoxAll = new QCheckBox(QStringLiteral("すべて選択"));
  CheckBoxAll->setObjectName(QStringLiteral("CheckBoxAll"));
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  // On the memo page Enter makes a new line.
  ButtonOk->setDefault(layout.okIsDefault);
  ButtonOk->setAutoDefault(layout.okIsDefault);
  ButtonCancel->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(CheckBoxAll);
  buttons->addStretch(1);
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonCancel);
  auto* main = new QVBoxLayout(this);
  main->addWidget(PageControl, 1);
  main->addLayout(buttons);

  ReadSettings();
  CheckBoxSetAllTotalClick();
  if (layout.page == SetAllPage::TS3)
    resize(420, 260);
  else
    resize(360, std::max(layout.height, sizeHint().height()));
  QWidget* const first[] = {EditSetAll, ComboBoxSetAll, MemoSetAll, EditSetAllNo, EditSetAllNo2};
  QWidget* focus = first[static_cast<int>(layout.page)];
  focus->setFocus();
}

TFormSetAll::~TFormSetAll() = default;

QWidget* TFormSetAll::BuildTextPage(const std::string& cell) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TS1"));
  EditSetAll = new QLineEdit;
  EditSetAll->setObjectName(QStringLiteral("EditSetAll"));
  if (layout_.page == SetAllPage::TS1) {
    const size_t limit = layout_.maxLength;
    EditSetAll->setText(QString::fromStdString(limit ? std::string(CutToWidth(cell, limit)) : cell));
    if (limit) {
      auto* validator = new WidthLimitValidator(EditSetAll);
      validator->SetLimit(static_cast<int>(limit));
      EditSetAll->setValidator(validator);
    }
  }
  auto* box = new QVBoxLayout(page);
  box->addWidget(EditSetAll);
  box->addStretch(1);
  return page;
}

QWidget* TFormSetAll::BuildGenrePage(const std::string& cell) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TS2"));
  ComboBoxSetAll = new QComboBox;
  ComboBoxSetAll->setObjectName(QStringLiteral("ComboBoxSetAll"));
  ComboBoxSetAll->setEditable(true);
  ComboBoxSetAll->setMaxVisibleItems(16);
  ComboBoxSetAll->addItem(QString());
  for (std::string_view name : GenreNamesAlphabetical())
    ComboBoxSetAll->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  if (layout_.page == SetAllPage::TS2) ComboBoxSetAll->setEditText(QString::fromStdString(cell));
  auto* box = new QVBoxLayout(page);
  box->addWidget(ComboBoxSetAll);
  box->addStretch(1);
  return page;
}

QWidget* TFormSetAll::BuildMemoPage(const std::string& cell) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TS3"));
  MemoSetAll = new QPlainTextEdit;
  MemoSetAll->setObjectName(QStringLiteral("MemoSetAll"));
  MemoSetAll->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoSetAll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoSetAll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  if (layout_.page == SetAllPage::TS3) {
    QString text = QString::fromStdString(cell);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    MemoSetAll->setPlainText(text);
  }
  auto* box = new QVBoxLayout(page);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(MemoSetAll);
  return page;
}

QWidget* TFormSetAll::BuildNumberPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TS4"));
  EditSetAllNo = NumberBox("EditSetAllNo", 1);
  EditSetAllNoCount = NumberBox("EditSetAllNoCount", 1);
  CheckBoxSetAllNo = new QCheckBox(QStringLiteral("桁揃え"));
  CheckBoxSetAllNo->setObjectName(QStringLiteral("CheckBoxSetAllNo"));
  CheckBoxSetAllNo->setEnabled(layout_.zeroPadEnabled);
  LabeledEditSetAllNo1 = new QLineEdit;
  LabeledEditSetAllNo1->setObjectName(QStringLiteral("LabeledEditSetAllNo1"));
  LabeledEditSetAllNo2 = new QLineEdit;
  LabeledEditSetAllNo2->setObjectName(QStringLiteral("LabeledEditSetAllNo2"));
  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel(QStringLiteral("開始番号")), 0, 0);
  grid->addWidget(EditSetAllNo, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("加算値")), 0, 2);
  grid->addWidget(EditSetAllNoCount, 0, 3);
  grid->addWidget(CheckBoxSetAllNo, 0, 4);
  auto* prefixLabel = new QLabel(QStringLiteral("前文字列"));
  auto* suffixLabel = new QLabel(QStringLiteral("後文字列"));
  grid->addWidget(prefixLabel, 1, 0);
  grid->addWidget(LabeledEditSetAllNo1, 1, 1, 1, 2);
  grid->addWidget(suffixLabel, 1, 3);
  grid->addWidget(LabeledEditSetAllNo2, 1, 4);
  for (QWidget* w :
       {static_cast<QWidget*>(prefixLabel), static_cast<QWidget*>(suffixLabel),
        static_cast<QWidget*>(LabeledEditSetAllNo1), static_cast<QWidget*>(LabeledEditSetAllNo2)})
    w->setVisible(layout_.affixesShown);
  grid->setRowStretch(2, 1);
  return page;
}

QWidget* TFormSetAll::BuildPairPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TS5"));
  EditSetAllNo2 = NumberBox("EditSetAllNo2", 1);
  EditSetAllNoCount2 = NumberBox("EditSetAllNoCount2", 1);
  CheckBoxSetAllNo2 = new QCheckBox(QStringLiteral("桁揃え"));
  CheckBoxSetAllNo2->setObjectName(QStringLiteral("CheckBoxSetAllNo2"));
  CheckBoxSetAllTotal = new QCheckBox(QStringLiteral("選択数"));
  CheckBoxSetAllTotal->setObjectName(QStringLiteral("CheckBoxSetAllTotal"));
  EditSetAllTotal = new QLineEdit;
  EditSetAllTotal->setObjectName(QStringLiteral("EditSetAllTotal"));
  EditSetAllTotal->setMaxLength(2);
  EditSetAllTotal->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), EditSetAllTotal));
  connect(CheckBoxSetAllTotal, &QCheckBox::clicked, this, &TFormSetAll::CheckBoxSetAllTotalClick);
  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel(QStringLiteral("開始番号")), 0, 0);
  grid->addWidget(EditSetAllNo2, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("加算値")), 0, 2);
  grid->addWidget(EditSetAllNoCount2, 0, 3);
  grid->addWidget(CheckBoxSetAllNo2, 0, 4);
  grid->addWidget(new QLabel(QStringLiteral("↑ 連番 / トータル値 →")), 1, 0, 1, 3);
  grid->addWidget(EditSetAllTotal, 1, 3);
  grid->addWidget(CheckBoxSetAllTotal, 1, 4);
  grid->setRowStretch(2, 1);
  return page;
}

void TFormSetAll::CheckBoxSetAllTotalClick() {
  const bool fromSelection = CheckBoxSetAllTotal->isChecked();
  EditSetAllTotal->setEnabled(!fromSelection);
  QPalette palette = EditSetAllTotal->palette();
  palette.setColor(QPalette::Base, fromSelection ? palette.color(QPalette::Button)
                                                 : EditSetAll->palette().color(QPalette::Base));
  EditSetAllTotal->setPalette(palette);
}

bool TFormSetAll::SelectAll() const {
  return CheckBoxAll->isChecked();
}

SetAllInput TFormSetAll::Input() const {
  SetAllInput input;
  input.page = layout_.page;
  switch (layout_.page) {
    case SetAllPage::TS1:
      input.text = EditSetAll->text().toStdString();
      break;
    case SetAllPage::TS2:
      input.text = ComboBoxSetAll->currentText().toStdString();
      break;
    case SetAllPage::TS3:
      input.text =
          MemoSetAll->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString();
      break;
    case SetAllPage::TS4:
      input.numbering = {EditSetAllNo->value(), EditSetAllNoCount->value(), CheckBoxSetAllNo->isChecked(),
                         LabeledEditSetAllNo1->text().toStdString(),
                         LabeledEditSetAllNo2->text().toStdString()};
      break;
    case SetAllPage::TS5:
      input.numbering = {
          EditSetAllNo2->value(), EditSetAllNoCount2->value(), CheckBoxSetAllNo2->isChecked(), {}, {}};
      input.useSelectionCount = CheckBoxSetAllTotal->isChecked();
      input.total = EditSetAllTotal->text().toStdString();
      break;
  }
  return input;
}

void TFormSetAll::ReadSettings() {
  if (settingsFolder_.empty()) {
    CheckBoxSetAllNo->setChecked(keys::kAllNoDefault);
    CheckBoxSetAllNo2->setChecked(keys::kAllNo2Default);
    CheckBoxSetAllTotal->setChecked(keys::kTotalDefault);
    return;
  }
  const IniFile ini = IniFile::Load(settingsFolder_ / kSettingsFileName);
  CheckBoxSetAllNo->setChecked(ini.ReadBool(keys::kSection, keys::kAllNo, keys::kAllNoDefault));
  CheckBoxSetAllNo2->setChecked(ini.ReadBool(keys::kSection, keys::kAllNo2, keys::kAllNo2Default));
  CheckBoxSetAllTotal->setChecked(ini.ReadBool(keys::kSection, keys::kTotal, keys::kTotalDefault));
}

void TFormSetAll::WriteSettings() const {
  if (settingsFolder_.empty()) return;
  const std::filesystem::path path = settingsFolder_ / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  ini.WriteBool(keys::kSection, keys::kAllNo, CheckBoxSetAllNo->isChecked());
  ini.WriteBool(keys::kSection, keys::kAllNo2, CheckBoxSetAllNo2->isChecked());
  ini.WriteBool(keys::kSection, keys::kTotal, CheckBoxSetAllTotal->isChecked());
  std::string error;
  if (!ini.Save(path, &error)) qWarning("Hozanki: cannot write %s: %s", path.c_str(), error.c_str());
}

void TFormSetAll::done(int result) {
  WriteSettings();
  QDialog::done(result);
}

}  // namespace hozanki
