#pragma once
// The bottom row shared by the replace, regular-expression and substring
// dialogs: "すべて選択" on the left, OK (the default button) and キャンセル
// on the right, wired to accept and reject.

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace hozanki {

struct DialogButtonRow {
  QCheckBox* selectAll = nullptr;
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QHBoxLayout* layout = nullptr;
};

DialogButtonRow MakeDialogButtonRow(QDialog* dialog);

}  // namespace hozanki
