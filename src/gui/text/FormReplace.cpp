#include "gui/text/FormReplace.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/settings/IniFile.h"
#include "gui/tagedit/HistoryCombo.h"
#include "gui/text/HistoryKeys.h"
#include "gui/text/DialogButtonRow.h"

namespace hozanki {
namespace {

namespace keys = settings::replace;

QComboBox* HistoryBox(const char* name) {
  auto* box = new QComboBox;
  box->setObjectName(QLatin1String(name));
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMaxCount(kHistoryMaxEntries);
  box->setMinimumWidth(280);
  return box;
}

}  // namespace

TFormReplace::TFormReplace(const std::filesystem::path& settingsFolder, QWidget* parent)
    : QDialog(parent), settingsFolder_(settingsFolder) {
  setObjectName(QStringLiteral("FormReplace"));
  setWindowTitle(QStringLiteral("置換"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

  ComboBoxRep1 = HistoryBox("ComboBoxRep1");
  ComboBoxRep2 = HistoryBox("ComboBoxRep2");
  CheckBoxUL = new QCheckBox(QStringLiteral("大小文字区別"));
  CheckBoxUL->setObjectName(QStringLiteral("CheckBoxUL"));
  const DialogButtonRow row = MakeDialogButtonRow(this);
  CheckBoxAll = row.selectAll;
  ButtonOk = row.ok;
  ButtonCancel = row.cancel;

  auto* search = new QLabel(QStringLiteral("検索する文字列(&F)"));
  search->setBuddy(ComboBoxRep1);
  auto* replacement = new QLabel(QStringLiteral("置換後の文字列(&P)"));
  replacement->setBuddy(ComboBoxRep2);
  auto* note = new QLabel(QStringLiteral("* : 任意の文字列　? : 任意の 1 文字　\\1～\\9 : 置換後に使用"));
  note->setObjectName(QStringLiteral("LabelNote"));

  auto* fields = new QGridLayout;
  fields->addWidget(search, 0, 0);
  fields->addWidget(ComboBoxRep1, 0, 1);
  fields->addWidget(replacement, 1, 0);
  fields->addWidget(ComboBoxRep2, 1, 1);
  fields->addWidget(note, 2, 0, 1, 2);
  auto* options = new QHBoxLayout;
  options->addWidget(CheckBoxUL);
  options->addStretch(1);
  auto* main = new QVBoxLayout(this);
  main->addLayout(fields);
  main->addLayout(options);
  main->addStretch(1);
  main->addLayout(row.layout);

  FormCreate();
  ComboBoxRep1->setFocus();
}

TFormReplace::~TFormReplace() {
  FormDestroy();
}

void TFormReplace::FormCreate() {
  const IniFile ini = ReadSettingsFile(settingsFolder_);
  ReadHistory(ini, keys::kSection, keys::kCountB, keys::kB, ComboBoxRep1);
  ReadHistory(ini, keys::kSection, keys::kCountA, keys::kA, ComboBoxRep2);
  CheckBoxUL->setChecked(ini.ReadBool(keys::kSection, keys::kCharUL, keys::kCharULDefault));
}

void TFormReplace::FormDestroy() const {
  UpdateSettingsFile(settingsFolder_, [this](IniFile& ini) {
    WriteHistory(ini, keys::kSection, keys::kCountB, keys::kB, ComboBoxRep1);
    WriteHistory(ini, keys::kSection, keys::kCountA, keys::kA, ComboBoxRep2);
    ini.WriteBool(keys::kSection, keys::kCharUL, CheckBoxUL->isChecked());
  });
}

std::string TFormReplace::SearchText() const {
  return ComboBoxRep1->currentText().toStdString();
}

std::string TFormReplace::ReplacementText() const {
  return ComboBoxRep2->currentText().toStdString();
}

bool TFormReplace::IgnoreCase() const {
  return !CheckBoxUL->isChecked();
}

bool TFormReplace::SelectAll() const {
  return CheckBoxAll->isChecked();
}

void TFormReplace::RememberTexts() {
  AddToHistory(ComboBoxRep1, ComboBoxRep1->currentText());
  AddToHistory(ComboBoxRep2, ComboBoxRep2->currentText());
}

void TFormReplace::done(int result) {
  // Before the window hides, while it still holds the focus.
  ComboBoxRep1->setFocus();
  QDialog::done(result);
}

}  // namespace hozanki
