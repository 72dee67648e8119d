#include "gui/text/CompoundTree.h"

#include <QDropEvent>
#include <QHeaderView>

#include "gui/text/CompoundStepList.h"

namespace hozanki {

CompoundTree::CompoundTree(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("TreeViewMulti"));
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::InternalMove);
}

void CompoundTree::SetEdits(const std::vector<CompoundEdit>& edits) {
  clear();
  for (const CompoundEdit& edit : edits) Append(edit);
}

std::vector<CompoundEdit> CompoundTree::Edits() const {
  std::vector<CompoundEdit> edits;
  for (int i = 0; i < topLevelItemCount(); ++i) edits.push_back(EditOf(topLevelItem(i)));
  return edits;
}

QTreeWidgetItem* CompoundTree::Append(const CompoundEdit& edit) {
  auto* root = new QTreeWidgetItem(this);
  root->setFlags((root->flags() | Qt::ItemIsDragEnabled) & ~Qt::ItemIsDropEnabled);
  Replace(root, edit);
  return root;
}

void CompoundTree::Replace(QTreeWidgetItem* root, const CompoundEdit& edit) {
  root->setText(0, QString::fromStdString(edit.title));
  qDeleteAll(root->takeChildren());
  for (const CompoundStep& step : edit.steps) {
    auto* child = new QTreeWidgetItem(root);
    child->setFlags(child->flags() & ~(Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled));
    ShowStep(child, step);
  }
}

CompoundEdit CompoundTree::EditOf(const QTreeWidgetItem* root) {
  CompoundEdit edit;
  edit.title = root->text(0).toStdString();
  for (int s = 0; s < root->childCount(); ++s) edit.steps.push_back(StepOf(root->child(s)));
  return edit;
}

QTreeWidgetItem* CompoundTree::SelectedRoot() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return nullptr;
  QTreeWidgetItem* item = selected.front();
  while (item->parent()) item = item->parent();
  return item;
}

void CompoundTree::MoveRoot(int from, int onto) {
  const int count = topLevelItemCount();
  if (from < 0 || from >= count || from == onto) return;
  QTreeWidgetItem* moving = takeTopLevelItem(from);
  // Onto empty space: last. From below: before the target; from above:
  // after it (the target has moved up by one), so both land at `onto`.
  insertTopLevelItem(onto < 0 || onto >= count ? topLevelItemCount() : onto, moving);
  setCurrentItem(moving);
  emit Reordered();
}

void CompoundTree::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() != this) {
    event->ignore();
    return;
  }
  QTreeWidget::dragMoveEvent(event);
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void CompoundTree::dropEvent(QDropEvent* event) {
  QTreeWidgetItem* source = SelectedRoot();
  if (event->source() != this || !source) {
    event->ignore();
    return;
  }
  QTreeWidgetItem* target = itemAt(event->position().toPoint());
  while (target && target->parent()) target = target->parent();
  MoveRoot(indexOfTopLevelItem(source), target ? indexOfTopLevelItem(target) : -1);
  // Copy, not move: the view must not remove the dragged item afterwards.
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

}  // namespace hozanki
