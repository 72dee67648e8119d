#pragma once
// Scrolling a list while a drag hovers near its top or bottom edge: one row
// every 100 ms tick (the pace of the tag tables' row drag), never Qt's
// accelerating auto-scroll. The view reports each drag move with Track and
// calls Stop when the drag leaves, drops or ends.

#include <QObject>
#include <QTimer>

class QAbstractItemView;

namespace hozanki {

class DragEdgeScroll : public QObject {
  Q_OBJECT

 public:
  static constexpr int kInterval = 100;

  explicit DragEdgeScroll(QAbstractItemView* view);

  // The pointer at `y` (viewport coordinates): within one row of the top
  // edge scrolls up, within one row of the bottom edge down, elsewhere stops.
  void Track(int y);
  void Stop();
  // -1 up, +1 down, 0 still.
  int Direction() const { return direction_; }
  const QTimer& Timer() const { return timer_; }
  // One tick of the timer: one row in the current direction.
  void Tick();

 private:
  QAbstractItemView* view_;
  QTimer timer_;
  int direction_ = 0;
};

}  // namespace hozanki
