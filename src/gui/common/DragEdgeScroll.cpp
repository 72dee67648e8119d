#include "gui/common/DragEdgeScroll.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <algorithm>

namespace hozanki {
namespace {

// The height of one row: the first visible row's, else the font's line.
int RowPitch(const QAbstractItemView* view) {
  const QModelIndex top = view->indexAt(QPoint(1, 1));
  const int height = top.isValid() ? view->visualRect(top).height() : view->fontMetrics().height();
  return std::max(height, 4);
}

}  // namespace

DragEdgeScroll::DragEdgeScroll(QAbstractItemView* view) : QObject(view), view_(view) {
  timer_.setObjectName(QStringLiteral("TimerScroll"));
  timer_.setInterval(kInterval);
  connect(&timer_, &QTimer::timeout, this, &DragEdgeScroll::Tick);
}

void DragEdgeScroll::Track(int y) {
  const int pitch = RowPitch(view_);
  const int height = view_->viewport()->height();
  direction_ = y < pitch ? -1 : y >= height - pitch ? 1 : 0;
  if (direction_ == 0)
    timer_.stop();
  else if (!timer_.isActive())
    timer_.start();
}

void DragEdgeScroll::Stop() {
  direction_ = 0;
  timer_.stop();
}

void DragEdgeScroll::Tick() {
  if (direction_ == 0) return;
  QScrollBar* bar = view_->verticalScrollBar();
  const bool perItem = view_->verticalScrollMode() == QAbstractItemView::ScrollPerItem;
  const int amount = perItem ? 1 : RowPitch(view_);
  bar->setValue(bar->value() + direction_ * amount);
  view_->viewport()->update();
}

}  // namespace hozanki
