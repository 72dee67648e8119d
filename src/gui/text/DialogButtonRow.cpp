#include "gui/text/DialogButtonRow.h"

namespace hozanki {

DialogButtonRow MakeDialogButtonRow(QDialog* dialog) {
  DialogButtonRow row;
  row.selectAll = new QCheckBox(QStringLiteral("すべて選択"));
  row.selectAll->setObjectName(QStringLiteral("CheckBoxAll"));
  row.ok = new QPushButton(QStringLiteral("OK"));
  row.ok->setObjectName(QStringLiteral("ButtonOk"));
  row.ok->setDefault(true);
  row.cancel = new QPushButton(QStringLiteral("キャンセル"));
  row.cancel->setObjectName(QStringLiteral("ButtonCancel"));
  row.cancel->setAutoDefault(false);
  QObject::connect(row.ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(row.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  row.layout = new QHBoxLayout;
  row.layout->addWidget(row.selectAll);
  row.layout->addStretch(1);
  row.layout->addWidget(row.ok);
  row.layout->addWidget(row.cancel);
  return row;
}

}  // namespace hozanki
