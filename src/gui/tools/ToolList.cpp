#include "gui/tools/ToolList.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <algorithm>

#include "core/tagedit/RowDrag.h"
#include "gui/common/CellEditor.h"

namespace hozanki {
namespace {
constexpr const char* kRowsMime = "application/x-hozanki-tool-rows";
}

ToolList::ToolList(QWidget* parent) : QTableWidget(0, 3, parent) {
  setObjectName(QStringLiteral("ListViewTool"));
  setHorizontalHeaderLabels({QStringLiteral("処理名"), QStringLiteral("ﾂｰﾙﾊﾟｽ"), QStringLiteral("ﾊﾟﾗﾒｰﾀ")});
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  EditListViewTool = new QLineEdit(viewport());
  EditListViewTool->setObjectName(QStringLiteral("EditListViewTool"));
  EditListViewTool->hide();
  EditListViewTool->installEventFilter(this);
}

void ToolList::SetTools(const std::vector<ToolEntry>& tools) {
  setRowCount(0);
  for (const ToolEntry& tool : tools) {
    const int row = rowCount();
    insertRow(row);
    setItem(row, 0, new QTableWidgetItem(QString::fromStdString(tool.name)));
    setItem(row, 1, new QTableWidgetItem(QString::fromStdString(tool.exec)));
    setItem(row, 2, new QTableWidgetItem(QString::fromStdString(tool.parm)));
  }
}

std::vector<ToolEntry> ToolList::Tools() const {
  std::vector<ToolEntry> tools;
  for (int row = 0; row < rowCount(); ++row)
    tools.push_back({item(row, 0)->text().toStdString(), item(row, 1)->text().toStdString(),
                     item(row, 2)->text().toStdString()});
  return tools;
}

void ToolList::AppendTool(const ToolEntry& tool) {
  const int row = rowCount();
  insertRow(row);
  setItem(row, 0, new QTableWidgetItem(QString::fromStdString(tool.name)));
  setItem(row, 1, new QTableWidgetItem(QString::fromStdString(tool.exec)));
  setItem(row, 2, new QTableWidgetItem(QString::fromStdString(tool.parm)));
  setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  setFocus();
}

std::vector<int> ToolList::SelectedRowNumbers() const {
  std::vector<int> rows;
  for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

bool ToolList::MoveSelectedRows(int target) {
  const std::vector<int> selected = SelectedRowNumbers();
  const auto order = DraggedRowOrder(rowCount(), selected, target);
  if (!order) return false;
  const std::vector<ToolEntry> before = Tools();
  std::vector<ToolEntry> after;
  for (int old : *order) after.push_back(before[static_cast<size_t>(old)]);
  SetTools(after);
  clearSelection();
  for (size_t row = 0; row < order->size(); ++row)
    if (std::binary_search(selected.begin(), selected.end(), (*order)[row]))
      selectionModel()->select(model()->index(static_cast<int>(row), 0),
                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
  emit Changed();
  return true;
}

void ToolList::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableWidget::mouseDoubleClickEvent(event);
  armedRow_ = rowAt(event->position().toPoint().y());
}

void ToolList::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const int row = rowAt(at.y());
  const int column = columnAt(at.x());
  pressPos_ = at;
  pressOnSelection_ = row >= 0 && selectionModel()->isRowSelected(row, {});
  armOnRelease_ = -1;
  if (pressOnSelection_ && event->button() == Qt::LeftButton && row != armedRow_) {
    armOnRelease_ = row;
    return;  // may start a drag
  }
  QTableWidget::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && row >= 0 && row == armedRow_ && column >= 0) OpenEditor(row, column);
}

void ToolList::mouseReleaseEvent(QMouseEvent* event) {
  QTableWidget::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && armOnRelease_ >= 0) armedRow_ = armOnRelease_;
  armOnRelease_ = -1;
}

void ToolList::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) || !pressOnSelection_ ||
      (event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance())
    return;
  pressOnSelection_ = false;
  armOnRelease_ = -1;
  auto* drag = new QDrag(this);
  auto* data = new QMimeData;
  data->setData(QLatin1String(kRowsMime), QByteArray());
  drag->setMimeData(data);
  drag->exec(Qt::MoveAction);
}

void ToolList::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() == this && event->mimeData()->hasFormat(QLatin1String(kRowsMime)))
    event->acceptProposedAction();
  else
    event->ignore();
}

void ToolList::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() == this) event->acceptProposedAction();
}

void ToolList::dropEvent(QDropEvent* event) {
  if (event->source() != this) return;
  const int target = rowAt(event->position().toPoint().y());
  event->acceptProposedAction();
  if (target >= 0) MoveSelectedRows(target);
}

void ToolList::OpenEditor(int row, int column) {
  editedRow_ = row;
  editedColumn_ = column;
  ShowCellEditor(this, EditListViewTool, row, column, item(row, column)->text());
}

void ToolList::CloseEditor(bool store) {
  if (editedRow_ < 0) return;
  QTableWidgetItem* cell = item(editedRow_, editedColumn_);
  editedRow_ = editedColumn_ = -1;
  armedRow_ = -1;
  // The list takes the focus before the field hides: hiding a focused child
  // would move the focus on like Tab, and the current row with it.
  setFocus();
  EditListViewTool->hide();
  if (store && cell && cell->text() != EditListViewTool->text()) {
    cell->setText(EditListViewTool->text());
    emit Changed();
  }
}

bool ToolList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EditListViewTool && FilterCellEditorEvent(event, [this](bool store) { CloseEditor(store); }))
    return true;
  return QTableWidget::eventFilter(watched, event);
}

}  // namespace hozanki
