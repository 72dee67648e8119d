#include "gui/common/CellEditor.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>

namespace hozanki {

void ShowCellEditor(QTableWidget* table, QLineEdit* editor, int row, int column, const QString& text) {
  const QRect cell = table->visualItemRect(table->item(row, column));
  editor->setGeometry(cell.x(), cell.y(), table->columnWidth(column) + 1, cell.height());
  editor->setText(text);
  editor->show();
  editor->setFocus();
  editor->selectAll();
}

bool FilterCellEditorEvent(QEvent* event, const std::function<void(bool store)>& close) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
      close(key != Qt::Key_Escape);
      return true;
    }
  } else if (event->type() == QEvent::FocusOut) {
    close(true);
  }
  return false;
}

}  // namespace hozanki
