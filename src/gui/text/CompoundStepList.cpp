#include "gui/text/CompoundStepList.h"

#include <QComboBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

#include "gui/text/WidthOptionList.h"

namespace hozanki {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool Is(int kind, CompoundKind named) {
  return kind == static_cast<int>(named);
}

// Kinds whose first text is typed: those that are no conversion group.
bool TypedFirst(int kind) {
  return CompoundKindFromNumber(kind) && !CompoundKindTable()[static_cast<size_t>(kind)].group;
}

// Kinds whose second text is typed (the width options have a list of their own).
bool TypedSecond(int kind) {
  return CompoundKindHasSecondText(kind) && !Is(kind, CompoundKind::Width);
}

// A step row: editable (by the editors only), draggable, never a drop target.
QTreeWidgetItem* NewStepItem(QTreeWidget* list) {
  auto* item = new QTreeWidgetItem(list);
  item->setFlags((item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled) & ~Qt::ItemIsDropEnabled);
  return item;
}

int KindAt(const QModelIndex& index) {
  return index.siblingAtColumn(0).data(Qt::UserRole).toInt();
}

}  // namespace

void ShowStep(QTreeWidgetItem* item, const CompoundStep& step) {
  item->setText(0, Q(CompoundKindName(step.kind)));
  item->setData(0, Qt::UserRole, step.kind);
  item->setText(1, Q(step.first));
  item->setText(2, Q(step.second));
}

CompoundStep StepOf(const QTreeWidgetItem* item) {
  return {item->data(0, Qt::UserRole).toInt(), item->text(1).toStdString(), item->text(2).toStdString()};
}

CompoundStepDelegate::CompoundStepDelegate(QObject* parent) : QStyledItemDelegate(parent) {
  connect(this, &QAbstractItemDelegate::closeEditor, this, [this] { ForgetEditor(); });
}

QWidget* CompoundStepDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                            const QModelIndex& index) const {
  const int kind = KindAt(index);
  QWidget* editor = nullptr;
  if (index.column() == 0) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("ComboBoxKind"));
    combo->setMaxVisibleItems(10);
    for (int k = 0; k < kCompoundKindCount; ++k) combo->addItem(Q(CompoundKindName(k)));
    connect(combo, &QComboBox::activated, this,
            [this, combo] { const_cast<CompoundStepDelegate*>(this)->Finish(combo); });
    editor = combo;
  } else if (index.column() == 1 && !TypedFirst(kind)) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("ComboBoxConv"));
    for (std::string_view choice : CompoundChoices(kind)) combo->addItem(Q(choice));
    connect(combo, &QComboBox::activated, this,
            [this, combo] { const_cast<CompoundStepDelegate*>(this)->Finish(combo); });
    editor = combo;
  } else if (index.column() == 1 || (index.column() == 2 && TypedSecond(kind))) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("EditPatern"));
    editor = edit;
  } else if (index.column() == 2 && Is(kind, CompoundKind::Width)) {
    auto* list = new WidthOptionList(parent);
    connect(list, &WidthOptionList::Finished, this,
            [this, list] { const_cast<CompoundStepDelegate*>(this)->Finish(list); });
    editor = list;
  }
  openEditor_ = editor;
  return editor;
}

void CompoundStepDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  const QString text = index.data().toString();
  if (auto* combo = qobject_cast<QComboBox*>(editor)) {
    if (index.column() == 0) {
      combo->setCurrentIndex(std::clamp(KindAt(index), 0, kCompoundKindCount - 1));
    } else {
      // Anything but the first choices means the last one.
      const int at = combo->findText(text);
      combo->setCurrentIndex(at >= 0 ? at : combo->count() - 1);
    }
  } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
    edit->setText(text);
  } else if (auto* list = qobject_cast<WidthOptionList*>(editor)) {
    list->SetOptions(text.toStdString());
  }
}

void CompoundStepDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                        const QModelIndex& index) const {
  if (auto* combo = qobject_cast<QComboBox*>(editor)) {
    if (index.column() == 0) {
      const int kind = combo->currentIndex();
      if (kind < 0 || kind == KindAt(index)) return;
      // Choosing a kind sets both texts as the kind wants them.
      const CompoundStep step = DefaultCompoundStep(kind);
      model->setData(index, Q(CompoundKindName(kind)));
      model->setData(index, kind, Qt::UserRole);
      model->setData(index.siblingAtColumn(1), Q(step.first));
      model->setData(index.siblingAtColumn(2), Q(step.second));
    } else {
      model->setData(index, combo->currentText());
    }
  } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
    model->setData(index, edit->text());
  } else if (auto* list = qobject_cast<WidthOptionList*>(editor)) {
    model->setData(index, Q(list->Options()));
  }
}

void CompoundStepDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                const QModelIndex&) const {
  QRect rect = option.rect;
  if (qobject_cast<WidthOptionList*>(editor)) rect.setHeight(std::max(rect.height() * 6 + 4, 100));
  editor->setGeometry(rect);
}

bool CompoundStepDelegate::eventFilter(QObject* watched, QEvent* event) {
  // Enter and Escape end the editor at once, keeping its text.
  auto* editor = qobject_cast<QWidget*>(watched);
  if (editor && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
      Finish(editor);
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(watched, event);
}

void CompoundStepDelegate::Finish(QWidget* editor) {
  emit commitData(editor);
  emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

CompoundStepList::CompoundStepList(QWidget* parent)
    : InternalMoveTree(parent), delegate_(new CompoundStepDelegate(this)) {
  setObjectName(QStringLiteral("ListViewMulti"));
  setColumnCount(3);
  setHeaderLabels(
      {QStringLiteral("種別"), QStringLiteral("置換前 / 変換 / 書式"), QStringLiteral("置換後 / ｵﾌﾟｼｮﾝ")});
  header()->setStretchLastSection(false);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setItemDelegate(delegate_);
}

std::vector<CompoundStep> CompoundStepList::Steps() const {
  std::vector<CompoundStep> steps;
  for (int i = 0; i < topLevelItemCount(); ++i) steps.push_back(StepOf(topLevelItem(i)));
  return steps;
}

void CompoundStepList::SetSteps(const std::vector<CompoundStep>& steps) {
  CommitEditor();
  clear();
  armedRow_ = -1;
  for (const CompoundStep& step : steps) {
    auto* item = NewStepItem(this);
    ShowStep(item, step);
  }
}

void CompoundStepList::AddStep() {
  CommitEditor();
  auto* item = NewStepItem(this);
  ShowStep(item, DefaultCompoundStep(0));
  setCurrentItem(item);
}

void CompoundStepList::CopySelected() {
  CommitEditor();
  QTreeWidgetItem* selected = currentItem();
  if (!selected) return;
  const int row = indexOfTopLevelItem(selected);
  auto* copy = selected->clone();
  insertTopLevelItem(row, copy);
  armedRow_ = -1;
}

void CompoundStepList::DeleteSelected() {
  CommitEditor();
  QTreeWidgetItem* selected = currentItem();
  if (!selected) return;
  delete takeTopLevelItem(indexOfTopLevelItem(selected));
  armedRow_ = -1;
}

void CompoundStepList::CommitEditor() {
  if (QWidget* editor = delegate_->OpenEditor()) {
    delegate_->ForgetEditor();
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

bool CompoundStepList::OpenCellEditor(int row, int column) {
  if (row != armedRow_ || row < 0 || row >= topLevelItemCount()) return false;
  CommitEditor();
  const QModelIndex index = indexFromItem(topLevelItem(row), column);
  setCurrentIndex(index);
  return edit(index, QAbstractItemView::AllEditTriggers, nullptr) && delegate_->OpenEditor();
}

void CompoundStepList::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  QTreeWidget::mousePressEvent(event);
  if (index.isValid() && event->button() == Qt::LeftButton && index.row() == armedRow_)
    OpenCellEditor(index.row(), index.column());
}

void CompoundStepList::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) {
    AddStep();
    return;
  }
  CommitEditor();
  armedRow_ = index.row();
}

bool CompoundStepList::InsertKeyPressed() {
  CopySelected();
  return true;
}

bool CompoundStepList::DeleteKeyPressed() {
  DeleteSelected();
  return true;
}

bool CompoundStepList::DropRows(const QPoint& at) {
  const QModelIndex target = indexAt(at);
  MoveSelectedTo(target.isValid() ? target.row() : -1);
  return true;
}

void CompoundStepList::MoveSelectedTo(int row) {
  CommitEditor();
  std::vector<QTreeWidgetItem*> moving;
  for (int i = 0; i < topLevelItemCount(); ++i)
    if (topLevelItem(i)->isSelected()) moving.push_back(topLevelItem(i));
  if (moving.empty()) return;
  for (QTreeWidgetItem* item : moving) takeTopLevelItem(indexOfTopLevelItem(item));
  int at = row < 0 ? topLevelItemCount() : std::min(row, topLevelItemCount());
  for (QTreeWidgetItem* item : moving) insertTopLevelItem(at++, item);
  for (QTreeWidgetItem* item : moving) item->setSelected(true);
  armedRow_ = -1;
}

}  // namespace hozanki
