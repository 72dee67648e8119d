#include "gui/app/UnsavedChangesQuestion.h"

#include <QMessageBox>
#include <QPushButton>

namespace hozanki {

UnsavedAnswer AskUnsavedChanges(QWidget* parent) {
  QMessageBox box(QMessageBox::Question, parent ? parent->windowTitle() : QString(),
                  QString::fromUtf8(kUnsavedChangesText), QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("UnsavedChangesQuestion"));
  QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(QStringLiteral("破棄"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
  save->setObjectName(QStringLiteral("ButtonSave"));
  discard->setObjectName(QStringLiteral("ButtonDiscard"));
  cancel->setObjectName(QStringLiteral("ButtonCancel"));
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) return UnsavedAnswer::Save;
  if (box.clickedButton() == discard) return UnsavedAnswer::Discard;
  return UnsavedAnswer::Cancel;
}

}  // namespace hozanki
