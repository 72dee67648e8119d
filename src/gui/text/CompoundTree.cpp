#include "gui/text/CompoundTree.h"

#include <QHeaderView>

#include "gui/text/CompoundStepList.h"

namespace hozanki {

CompoundTree::CompoundTree(QWidget* parent) : InternalMoveTree(parent) {
  setObjectName(QStringLiteral("TreeViewMulti"));
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
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

bool CompoundTree::DropRows(const QPoint& at) {
  QTreeWidgetItem* source = SelectedRoot();
  if (!source) return false;
  QTreeWidgetItem* target = itemAt(at);
  while (target && target->parent()) target = target->parent();
  MoveRoot(indexOfTopLevelItem(source), target ? indexOfTopLevelItem(target) : -1);
  return true;
}

}  // namespace hozanki
