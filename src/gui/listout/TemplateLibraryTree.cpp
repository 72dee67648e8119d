#include "gui/listout/TemplateLibraryTree.h"

#include <QDropEvent>

namespace hozanki {

TemplateLibraryTree::TemplateLibraryTree(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("TreeView"));
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::InternalMove);
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

void TemplateLibraryTree::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() != this) {
    event->ignore();
    return;
  }
  QTreeWidget::dragMoveEvent(event);
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void TemplateLibraryTree::dropEvent(QDropEvent* event) {
  const int from = SelectedIndex();
  QTreeWidgetItem* target = itemAt(event->position().toPoint());
  if (event->source() != this || from < 0 || !target) {
    event->ignore();
    return;
  }
  // Copy, not move: the view must not remove the dragged item afterwards.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  const int onto = indexOfTopLevelItem(target);
  if (onto != from) emit MoveRequested(from, onto);
}

}  // namespace hozanki
