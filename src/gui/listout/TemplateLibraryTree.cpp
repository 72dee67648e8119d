#include "gui/listout/TemplateLibraryTree.h"

namespace hozanki {

TemplateLibraryTree::TemplateLibraryTree(QWidget* parent) : InternalMoveTree(parent) {
  setObjectName(QStringLiteral("TreeView"));
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { emit OpenRequested(indexOfTopLevelItem(item)); });
}

void TemplateLibraryTree::SetTemplates(const std::vector<ListTemplate>& templates) {
  const int selected = SelectedIndex();
  clear();
  for (const ListTemplate& t : templates) {
    auto* item = new QTreeWidgetItem(this);
    item->setText(0, QString::fromStdString(t.title));
    item->setFlags((item->flags() | Qt::ItemIsDragEnabled) & ~Qt::ItemIsDropEnabled);
  }
  SelectIndex(std::min(selected, topLevelItemCount() - 1));
}

int TemplateLibraryTree::SelectedIndex() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.front());
}

void TemplateLibraryTree::SelectIndex(int index) {
  if (QTreeWidgetItem* item = topLevelItem(index))
    setCurrentItem(item);
  else
    clearSelection();
}

bool TemplateLibraryTree::DropRows(const QPoint& at) {
  const int from = SelectedIndex();
  QTreeWidgetItem* target = itemAt(at);
  if (from < 0 || !target) return false;
  const int onto = indexOfTopLevelItem(target);
  if (onto != from) emit MoveRequested(from, onto);
  return true;
}

}  // namespace hozanki
