#include "gui/listout/PickedFileView.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <algorithm>


namespace hozanki {

PickedFileView::PickedFileView(QWidget* parent) : QTableView(parent) {
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setAutoScroll(true);
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
  // One row height of margin at the edges scrolls, as the list's rows are.
  setAutoScrollMargin(std::max(verticalHeader()->defaultSectionSize(), 4));
  auto* data = new QMimeData;
  data->setData(QLatin1String(kMimeType), QByteArray::number(currentIndex().row()));
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  drag->exec(Qt::MoveAction);
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
  setAutoScrollMargin(std::max(verticalHeader()->defaultSectionSize(), 4));
  QTableView::dragEnterEvent(event);
  event->acceptProposedAction();
}

void PickedFileView::dragMoveEvent(QDragMoveEvent* event) {
  if (!Accepts(event)) {
    event->ignore();
    return;
  }
  QTableView::dragMoveEvent(event);  // starts the auto-scroll near the edges
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void PickedFileView::dropEvent(QDropEvent* event) {
  if (!Accepts(event)) {
    event->ignore();
    return;
  }
  const QModelIndex at = indexAt(event->position().toPoint());
  const int startRow = event->mimeData()->data(QLatin1String(kMimeType)).toInt();
  // The view itself removes nothing: the window moves the rows.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  stopAutoScroll();
  if (at.isValid()) emit RowsDropped(qobject_cast<PickedFileView*>(event->source()), at.row(), startRow);
}

}  // namespace hozanki
