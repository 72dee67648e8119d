#include "gui/catalogue/FileListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "gui/catalogue/FileDragOut.h"
#include "gui/catalogue/RowSelection.h"

namespace hozanki {

FileListView::FileListView(QWidget* parent) : QTableView(parent) {
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);
  horizontalHeader()->viewport()->installEventFilter(this);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int section) { emit ColumnClicked(section, headerModifiers_); });
}

QMimeData* FileListView::SelectedFilesMimeData() const {
  return MakeFileDragMimeData(paths_ ? paths_() : std::vector<std::filesystem::path>{});
}

int FileListView::FirstSelectedRow() const {
  const std::vector<int> rows = SelectedRowList(selectionModel());
  return rows.empty() ? -1 : rows.front();
}

int FileListView::ColumnAtX(int x) const {
  return columnAt(x);
}

void FileListView::ArmAndPress(const QPoint& position) {
  const int first = FirstSelectedRow();
  if (first < 0) return;
  tag_ = first;
  PressArmed(position);
}

void FileListView::PressArmed(const QPoint& position) {
  // Only on the armed row, while it is the (first) selected one, within its band.
  const int row = rowAt(position.y());
  if (tag_ < 0 || row != tag_ || FirstSelectedRow() != tag_) return;
  const int top = rowViewportPosition(row);
  if (position.y() < top || position.y() >= top + rowHeight(row) - 1) return;
  const int column = ColumnAtX(position.x());
  if (column >= 0) emit ArmedPress(row, column);
}

void FileListView::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  // Rows armed by the Enter key stay armed until the next release.
  if (event->button() == Qt::LeftButton && tag_ >= 0) PressArmed(event->position().toPoint());
}

void FileListView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  tag_ = kIdle;
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) ArmAndPress(event->position().toPoint());
}

void FileListView::keyPressEvent(QKeyEvent* event) {
  const bool rowSelected = selectionModel() && selectionModel()->hasSelection();
  switch (event->key()) {
    case Qt::Key_Escape:
      emit EscapePressed();
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (rowSelected && currentIndex().isValid()) {
        emit EnterPressed(currentIndex().row());
        event->accept();
        return;
      }
      break;
    default:
      break;
  }
  QTableView::keyPressEvent(event);
}

void FileListView::startDrag(Qt::DropActions) {
  std::vector<std::filesystem::path> paths = paths_ ? paths_() : std::vector<std::filesystem::path>{};
  if (paths.empty()) return;
  tag_ = paths.size() == 1 ? kDragOne : kDragMany;
  StartFileDrag(this, paths);
  tag_ = kIdle;
}

bool FileListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == horizontalHeader()->viewport() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease))
    headerModifiers_ = static_cast<QMouseEvent*>(event)->modifiers();
  return QTableView::eventFilter(watched, event);
}

}  // namespace hozanki
