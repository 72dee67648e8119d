#pragma once
// `ListViewF` / `ListViewT` of the list window: a read-only report list of
// picked files whose selected rows are dragged onto a row of either list to
// reorder them. The drop is handed to the window (RowsDropped), which moves
// the rows of both lists. While dragging, the list scrolls by one row per
// 100 ms tick when the pointer is within one row of its top or bottom edge
// (DragEdgeScroll).

#include <QTableView>

namespace hozanki {

class DragEdgeScroll;

class PickedFileView : public QTableView {
  Q_OBJECT

 public:
  static constexpr const char* kMimeType = "application/x-hozanki-picked-rows";

  explicit PickedFileView(QWidget* parent = nullptr);

  // The other list: drops are taken from it and from this one only.
  void SetPartner(PickedFileView* partner) { partner_ = partner; }
  // The selected rows, ascending.
  std::vector<int> SelectedRows() const;
  DragEdgeScroll& EdgeScroll() const { return *edgeScroll_; }

 signals:
  // The selected rows of `source` were dropped on `dropRow`; the drag began
  // on `startRow`.
  void RowsDropped(PickedFileView* source, int dropRow, int startRow);

 protected:
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool Accepts(const QDropEvent* event) const;

  PickedFileView* partner_ = nullptr;
  DragEdgeScroll* edgeScroll_ = nullptr;
};

}  // namespace hozanki
