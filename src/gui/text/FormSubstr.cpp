#include "gui/text/FormSubstr.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include "gui/text/DialogButtonRow.h"

namespace hozanki {
namespace {

QSpinBox* NumberBox(const char* name) {
  auto* box = new QSpinBox;
  box->setObjectName(QLatin1String(name));
  box->setRange(-127, 127);
  box->setValue(0);
  box->setAlignment(Qt::AlignRight);
  box->findChild<QLineEdit*>()->setMaxLength(4);
  return box;
}

QLabel* Note(const QString& text) {
  auto* label = new QLabel(text);
  label->setEnabled(false);  // a hint, drawn grey
  return label;
}

}  // namespace

TFormSubstr::TFormSubstr(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormSubstr"));
  setWindowTitle(QStringLiteral("部分参照"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

  Edit1 = NumberBox("Edit1");
  Edit2 = NumberBox("Edit2");
  const DialogButtonRow row = MakeDialogButtonRow(this);
  CheckBoxAll = row.selectAll;
  ButtonOk = row.ok;
  ButtonCancel = row.cancel;

  auto* start = new QLabel(QStringLiteral("開始位置"));
  start->setBuddy(Edit1);
  auto* length = new QLabel(QStringLiteral("長さ"));
  length->setBuddy(Edit2);
  auto* fields = new QGridLayout;
  fields->addWidget(start, 0, 0);
  fields->addWidget(Edit1, 0, 1);
  fields->addWidget(Note(QStringLiteral("(左端から)")), 0, 2);
  fields->addWidget(Note(QStringLiteral("マイナス値：右端から")), 1, 2);
  fields->addWidget(length, 2, 0);
  fields->addWidget(Edit2, 2, 1);
  fields->addWidget(Note(QStringLiteral("０：右端まで")), 2, 2);
  fields->addWidget(Note(QStringLiteral("マイナス値：右端から")), 3, 2);
  fields->setColumnStretch(2, 1);
  auto* main = new QVBoxLayout(this);
  main->addLayout(fields);
  main->addStretch(1);
  main->addLayout(row.layout);
  setMinimumWidth(320);

  Edit1->setFocus();
}

TFormSubstr::~TFormSubstr() = default;

std::string TFormSubstr::Spec() const {
  return (Edit1->text() + QLatin1Char(',') + Edit2->text()).toStdString();
}

bool TFormSubstr::SelectAll() const {
  return CheckBoxAll->isChecked();
}

void TFormSubstr::done(int result) {
  // Before the window hides, while it still holds the focus.
  Edit1->setFocus();
  QDialog::done(result);
}

}  // namespace hozanki
