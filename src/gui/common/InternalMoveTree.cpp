#include "gui/common/InternalMoveTree.h"

#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>

namespace hozanki {

InternalMoveTree::InternalMoveTree(QWidget* parent) : QTreeWidget(parent) {
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::InternalMove);
}

void InternalMoveTree::keyPressEvent(QKeyEvent* event) {
  bool handled = false;
  if (event->key() == Qt::Key_Insert)
    handled = InsertKeyPressed();
  else if (event->key() == Qt::Key_Delete)
    handled = DeleteKeyPressed();
  if (!handled) QTreeWidget::keyPressEvent(event);
}

void InternalMoveTree::startDrag(Qt::DropActions) {
  QModelIndexList dragged;
  for (const QModelIndex& index : selectedIndexes())
    if (model()->flags(index) & Qt::ItemIsDragEnabled) dragged << index;
  if (dragged.isEmpty()) return;
  QMimeData* data = model()->mimeData(dragged);
  if (!data) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  const QModelIndex current = currentIndex().isValid() ? currentIndex() : dragged.front();
  const QRect row = visualRect(current);
  if (!row.isEmpty()) {
    drag->setPixmap(viewport()->grab(row));
    drag->setHotSpot(QPoint(std::min(row.width() / 2, 40), row.height() / 2));
  }
  // DropRows has already moved the rows when this returns: nothing is
  // removed here, whatever the drop answered.
  drag->exec(Qt::MoveAction, Qt::MoveAction);
}

void InternalMoveTree::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() != this) {
    event->ignore();
    return;
  }
  QTreeWidget::dragMoveEvent(event);
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void InternalMoveTree::dropEvent(QDropEvent* event) {
  if (event->source() != this || !DropRows(event->position().toPoint())) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::MoveAction);
  event->accept();
  stopAutoScroll();
  setState(NoState);
  viewport()->update();
}

}  // namespace hozanki
