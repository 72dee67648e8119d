#include "gui/listout/PickedFileView.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <algorithm>

#include "gui/common/DragEdgeScroll.h"

namespace hozanki {

PickedFileView::PickedFileView(QWidget* parent) : QTableView(parent) {
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  // Near an edge the list scrolls by one row per tick, not by Qt's
  // accelerating auto-scroll.
  setAutoScroll(false);
  edgeScroll_ = new DragEdgeScroll(this);
}

std::vector<int> PickedFileView::SelectedRows() const {
  std::vector<int> rows;
  if (!selectionModel()) return rows;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

void PickedFileView::startDrag(Qt::DropActions) {
  if (!selectionModel() || !selectionModel()->hasSelection()) return;
  auto* data = new QMimeData;
  data->setData(QLatin1String(kMimeType), QByteArray::number(currentIndex().row()));
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  drag->exec(Qt::MoveAction);
  edgeScroll_->Stop();
}

bool PickedFileView::Accepts(const QDropEvent* event) const {
  return event->mimeData()->hasFormat(QLatin1String(kMimeType)) &&
         (event->source() == this || (partner_ && event->source() == partner_));
}

void PickedFileView::dragEnterEvent(QDragEnterEvent* event) {
  if (!Accepts(event)) {
    event->ignore();
    return;
  }
  QTableView::dragEnterEvent(event);
  event->acceptProposedAction();
  edgeScroll_->Track(event->position().toPoint().y());
}

void PickedFileView::dragLeaveEvent(QDragLeaveEvent* event) {
  edgeScroll_->Stop();
  QTableView::dragLeaveEvent(event);
}

void PickedFileView::dragMoveEvent(QDragMoveEvent* event) {
  if (!Accepts(event)) {
    event->ignore();
    return;
  }
  QTableView::dragMoveEvent(event);
  event->setDropAction(Qt::MoveAction);
  event->accept();
  edgeScroll_->Track(event->position().toPoint().y());
}

void PickedFileView::dropEvent(QDropEvent* event) {
  edgeScroll_->Stop();
  if (!Accepts(event)) {
    event->ignore();
    return;
  }
  const QModelIndex at = indexAt(event->position().toPoint());
  const int startRow = event->mimeData()->data(QLatin1String(kMimeType)).toInt();
  // The drag removes nothing afterwards: the window moves the rows.
  event->setDropAction(Qt::MoveAction);
  event->accept();
  if (at.isValid()) emit RowsDropped(qobject_cast<PickedFileView*>(event->source()), at.row(), startRow);
}

}  // namespace hozanki
