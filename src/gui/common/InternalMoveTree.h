#pragma once
// A QTreeWidget whose rows are reordered by dragging inside it: drags from
// anywhere else are refused. The tree runs the drag itself and DropRows
// moves the rows at the drop; the view never removes the dragged rows
// afterwards, whatever action the drop reports (QAbstractItemView's own drag
// would remove them after a move, and a copy answer becomes a move when only
// moves are offered). Insert and Delete go to InsertKeyPressed /
// DeleteKeyPressed; a list that does not handle them leaves them to
// QTreeWidget.

#include <QTreeWidget>

namespace hozanki {

class InternalMoveTree : public QTreeWidget {
  Q_OBJECT

 public:
  explicit InternalMoveTree(QWidget* parent = nullptr);

 protected:
  // Moves the dragged rows for a drop at `at` (viewport coordinates); false
  // refuses the drop.
  virtual bool DropRows(const QPoint& at) = 0;
  // True when the key was handled.
  virtual bool InsertKeyPressed() { return false; }
  virtual bool DeleteKeyPressed() { return false; }

  void keyPressEvent(QKeyEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace hozanki
