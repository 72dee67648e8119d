#include "gui/text/FormRegexp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/settings/IniFile.h"
#include "core/text/RegexpPatternCheck.h"
#include "gui/tagedit/HistoryCombo.h"
#include "gui/text/HistoryKeys.h"
#include "gui/text/DialogButtonRow.h"

namespace hozanki {
namespace {

namespace keys = settings::regexp;

}  // namespace

TFormRegexp::TFormRegexp(const std::filesystem::path& settingsFolder, QWidget* parent)
    : QDialog(parent), settingsFolder_(settingsFolder) {
  setObjectName(QStringLiteral("FormRegexp"));
  setWindowTitle(QStringLiteral("正規表現"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

  ComboBoxReg = new QComboBox;
  ComboBoxReg->setObjectName(QStringLiteral("ComboBoxReg"));
  ComboBoxReg->setEditable(true);
  ComboBoxReg->setInsertPolicy(QComboBox::NoInsert);
  ComboBoxReg->setMaxCount(kHistoryMaxEntries);
  ComboBoxReg->setMinimumWidth(320);
  RadioButtonRegS = new QRadioButton(QStringLiteral("置換(s)"));
  RadioButtonRegS->setObjectName(QStringLiteral("RadioButtonRegS"));
  RadioButtonRegTr = new QRadioButton(QStringLiteral("変換(tr)"));
  RadioButtonRegTr->setObjectName(QStringLiteral("RadioButtonRegTr"));
  // Both may be unchecked (a text of neither kind): exclusion is kept by hand.
  RadioButtonRegS->setAutoExclusive(false);
  RadioButtonRegTr->setAutoExclusive(false);
  const DialogButtonRow row = MakeDialogButtonRow(this);
  CheckBoxAll = row.selectAll;
  ButtonOk = row.ok;
  ButtonCancel = row.cancel;
  ButtonOk->setEnabled(false);
  connect(ComboBoxReg, &QComboBox::editTextChanged, this, &TFormRegexp::ComboBoxRegChange);
  connect(RadioButtonRegS, &QRadioButton::clicked, this, &TFormRegexp::RadioButtonRegClick);
  connect(RadioButtonRegTr, &QRadioButton::clicked, this, &TFormRegexp::RadioButtonRegClick);

  auto* label = new QLabel(QStringLiteral("正規表現(&E)"));
  label->setBuddy(ComboBoxReg);
  auto* note = new QLabel(QStringLiteral("例：s/(.+) - (.+)/$2 - $1/k　tr/a-z/A-Z/"));
  note->setObjectName(QStringLiteral("LabelNote"));
  auto* kinds = new QHBoxLayout;
  kinds->addWidget(RadioButtonRegS);
  kinds->addWidget(RadioButtonRegTr);
  kinds->addStretch(1);
  auto* main = new QVBoxLayout(this);
  main->addWidget(label);
  main->addWidget(ComboBoxReg);
  main->addWidget(note);
  main->addLayout(kinds);
  main->addStretch(1);
  main->addLayout(row.layout);

  FormCreate();
  ComboBoxRegChange(ComboBoxReg->currentText());
  ComboBoxReg->setFocus();
}

TFormRegexp::~TFormRegexp() {
  FormDestroy();
}

void TFormRegexp::FormCreate() {
  ReadHistory(ReadSettingsFile(settingsFolder_), keys::kSection, keys::kCount, keys::kP, ComboBoxReg);
}

void TFormRegexp::FormDestroy() const {
  UpdateSettingsFile(settingsFolder_, [this](IniFile& ini) {
    WriteHistory(ini, keys::kSection, keys::kCount, keys::kP, ComboBoxReg);
  });
}

std::string TFormRegexp::Pattern() const {
  return ComboBoxReg->currentText().toStdString();
}

bool TFormRegexp::SelectAll() const {
  return CheckBoxAll->isChecked();
}

void TFormRegexp::RememberPattern() {
  AddToHistory(ComboBoxReg, ComboBoxReg->currentText());
}

void TFormRegexp::ComboBoxRegChange(const QString& text) {
  const RegexpPatternCheck check = CheckRegexpPattern(text.toStdString());
  ButtonOk->setEnabled(check.acceptable);
  const QSignalBlocker blockS(RadioButtonRegS);
  const QSignalBlocker blockTr(RadioButtonRegTr);
  RadioButtonRegS->setChecked(text.startsWith(QLatin1String("s/")));
  RadioButtonRegTr->setChecked(!RadioButtonRegS->isChecked() && text.startsWith(QLatin1String("tr/")));
}

void TFormRegexp::RadioButtonRegClick() {
  // The clicked button is the chosen kind.
  const bool substitute = sender() ? sender() == RadioButtonRegS : RadioButtonRegS->isChecked();
  const RegexpPatternKind kind =
      substitute ? RegexpPatternKind::Substitute : RegexpPatternKind::Transliterate;
  const std::string text = SwitchRegexpPatternKind(ComboBoxReg->currentText().toStdString(), kind);
  ComboBoxReg->setEditText(QString::fromStdString(text));
  // The new text begins with the chosen kind, so the check puts the
  // buttons right again (a click on a checked button has cleared it).
  ComboBoxRegChange(ComboBoxReg->currentText());
}

void TFormRegexp::done(int result) {
  // Before the window hides, while it still holds the focus.
  ComboBoxReg->setFocus();
  QDialog::done(result);
}

}  // namespace hozanki
