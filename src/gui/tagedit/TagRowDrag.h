#pragma once
// Dragging the selected rows of a tag table to another place in it. A press
// on a selected row (outside the check box, on a row not armed for editing)
// and a move past the drag distance start the drag; the drop moves the rows
// (see DraggedRowOrder) by one reorder of the format's rows, so the file list
// and, for MP3, the three sister tables follow, with the changed marks and
// staged values of the rows. The moved rows stay selected in every list of
// the format. While the pointer stays in the top or bottom edge zone of the
// table during the drag, `TimerScroll` scrolls it one row every 100 ms.
// While a drop would move rows, a line between two rows marks where they
// would land (above the target row when they move up, below it when they
// move down); where a drop moves nothing, no line shows.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <array>
#include <functional>

#include "core/catalogue/Catalogue.h"
#include "core/common/FormatRegistry.h"

class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QMouseEvent;
class QTableView;

namespace hozanki {

// What the row drag needs of the main window.
struct RowDragHost {
  // The tag table of a tag page and the file list of a format.
  std::function<QTableView*(int page)> tagTable;
  std::function<QTableView*(int page)> fileList;
  std::function<Catalogue&()> catalogue;
  // While a worker runs nothing is dragged or dropped.
  std::function<bool()> busy;
  // Position of row 0 below the table's top edge and the height of one row.
  std::function<int()> firstRowOffset;
  std::function<int()> rowPitch;
};

class TagRowDrag : public QObject {
  Q_OBJECT

 public:
  static constexpr int kScrollInterval = 100;

  // Watches the viewports of every tag table.
  TagRowDrag(RowDragHost host, QObject* parent);

  // The drop: moves the selected rows of tag page `page` onto `target`.
  // False when nothing moves.
  bool DropRows(int page, int target);
  // The data a drag of the rows of tag page `page` carries.
  static QMimeData* MakeMimeData(int page);
  // The scroll step for a pointer at `y` (table coordinates): minus one row
  // above the first row, plus one row in the last row's band at the bottom,
  // 0 elsewhere.
  int ScrollStep(const QTableView* view, int y) const;
  int Step() const { return step_; }
  // The drop marker: a child of the table's viewport while it shows.
  const QWidget* DropMarker() const { return marker_; }
  const QTimer& TimerScroll() const { return timer_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int PageOf(const QObject* viewport) const;
  bool Press(int page, QMouseEvent* event);
  bool Move(int page, QMouseEvent* event);
  bool Release(int page, QMouseEvent* event);
  void DragOver(int page, QDragMoveEvent* event);
  void Drop(int page, QDropEvent* event);
  void cmnTimerScrollTimer();
  void StopScroll();
  void PlaceMarker(int page, QPoint at);
  void HideMarker();

  RowDragHost host_;
  QTimer timer_;
  int step_ = 0;
  QTableView* scrolled_ = nullptr;
  QPointer<QWidget> marker_;
  int markerPage_ = -1;
  QPoint markerAt_;  // the pointer in viewport coordinates
  // The press held back on a selected row: its table page and position.
  int pressPage_ = -1;
  QPoint pressPos_;
};

}  // namespace hozanki
