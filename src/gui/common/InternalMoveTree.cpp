#include "gui/common/InternalMoveTree.h"

#include <QDropEvent>
#include <QKeyEvent>

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
  // Copy, not move: the view must not remove the dragged rows afterwards.
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

}  // namespace hozanki
