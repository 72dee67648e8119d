#include "gui/rename/PatternTree.h"

#include <QDropEvent>

#include "gui/rename/PatternItemList.h"

namespace hozanki {
namespace {
constexpr int kTextRole = Qt::UserRole;
constexpr int kOptionRole = Qt::UserRole + 1;
}  // namespace

PatternTree::PatternTree(MediaFormat format, QWidget* parent) : QTreeWidget(parent), format_(format) {
  setObjectName(
      QStringLiteral("TreeView") +
      QString::fromUtf8(FormatName(format).data(), static_cast<qsizetype>(FormatName(format).size())));
  setHeaderHidden(true);
  setColumnCount(1);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setRootIsDecorated(false);
  setDragDropMode(QAbstractItemView::InternalMove);
  setDefaultDropAction(Qt::MoveAction);
}

QTreeWidgetItem* PatternTree::MakeRoot(const QString& title, const std::vector<PatternItem>& items) const {
  auto* root = new QTreeWidgetItem;
  Fill(root, title, items);
  return root;
}

void PatternTree::Fill(QTreeWidgetItem* root, const QString& title,
                       const std::vector<PatternItem>& items) const {
  root->setText(0, title);
  root->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
  qDeleteAll(root->takeChildren());
  for (const PatternItem& item : items) {
    std::unique_ptr<QTreeWidgetItem> cells(PatternItemList::MakeRow(format_, item));
    auto* child = new QTreeWidgetItem(root);
    child->setText(0, cells->text(0));
    child->setData(0, kTextRole, cells->text(1));
    child->setData(0, kOptionRole, cells->text(2));
    child->setFlags(Qt::ItemIsEnabled);
  }
  root->setExpanded(false);
}

RenamePattern PatternTree::PatternOf(const QTreeWidgetItem* root) const {
  RenamePattern pattern;
  pattern.title = root->text(0).toStdString();
  for (int i = 0; i < root->childCount(); ++i) {
    const QTreeWidgetItem* child = root->child(i);
    QTreeWidgetItem cells;
    cells.setText(0, child->text(0));
    cells.setText(1, child->data(0, kTextRole).toString());
    cells.setText(2, child->data(0, kOptionRole).toString());
    pattern.items.push_back(PatternItemList::ItemOfRow(format_, &cells));
  }
  return pattern;
}

std::vector<RenamePattern> PatternTree::Patterns() const {
  std::vector<RenamePattern> patterns;
  for (int i = 0; i < topLevelItemCount(); ++i) patterns.push_back(PatternOf(topLevelItem(i)));
  return patterns;
}

void PatternTree::SetPatterns(const std::vector<RenamePattern>& patterns) {
  clear();
  for (const RenamePattern& p : patterns) addTopLevelItem(MakeRoot(QString::fromStdString(p.title), p.items));
}

QTreeWidgetItem* PatternTree::SelectedRoot() const {
  QTreeWidgetItem* item = currentItem();
  while (item && item->parent()) item = item->parent();
  return item;
}

void PatternTree::MoveRoot(int from, int onto) {
  const int count = topLevelItemCount();
  if (from < 0 || from >= count || onto < 0 || onto >= count || from == onto) return;
  QTreeWidgetItem* moving = takeTopLevelItem(from);
  // From below: before the target; from above: after it. The target's index
  // has shifted down by one when the moving root came from above.
  const int target = from > onto ? onto : onto - 1;
  insertTopLevelItem(from > onto ? target : target + 1, moving);
  setCurrentItem(moving);
  emit Moved();
}

void PatternTree::dropEvent(QDropEvent* event) {
  // Roots move only among roots, by the rule above; nothing else is dropped.
  event->setDropAction(Qt::IgnoreAction);
  event->accept();
  QTreeWidgetItem* source = SelectedRoot();
  QTreeWidgetItem* onto = itemAt(event->position().toPoint());
  while (onto && onto->parent()) onto = onto->parent();
  if (!source || !onto) return;
  MoveRoot(indexOfTopLevelItem(source), indexOfTopLevelItem(onto));
}

}  // namespace hozanki
