#include "gui/rename/FileNameEditor.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTableView>
#include <limits>

#include "core/tagedit/EditTarget.h"
#include "core/tagedit/SetCellValue.h"

namespace hozanki {

FileNameEditor::FileNameEditor(Catalogue& catalogue, QWidget* parent) : QLineEdit(parent), catalogue_(catalogue) {
  setObjectName(QStringLiteral("FileNameEditor"));
  setMaxLength(std::numeric_limits<int>::max());
  hide();
}

bool FileNameEditor::Open(QTableView* list, MediaFormat format, int row, int nameColumn) {
  if (IsOpen()) Finish(true);
  const EditTarget target = EditTarget::FileNames(format);
  if (row < 0 || row >= catalogue_.RowCount(format)) return false;
  if (!IsRowOpenToEditing(catalogue_.Entries(format)[static_cast<size_t>(row)], target)) return false;
  list_ = list;
  format_ = format;
  row_ = row;
  column_ = nameColumn;
  setParent(list->viewport());
  setText(QString::fromStdString(CellText(catalogue_, target, row)));
  const QModelIndex index = list->model()->index(row, nameColumn);
  list->scrollTo(index);
  list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  Place();
  show();
  setFocus();
  selectAll();
  emit Opened();
  return true;
}

void FileNameEditor::Place() {
  const QRect cell = list_->visualRect(list_->model()->index(row_, column_));
  setGeometry(cell.left(), cell.top() - 1, cell.width() + 1, std::max(cell.height() + 2, sizeHint().height()));
}

void FileNameEditor::Finish(bool store) {
  if (!IsOpen() || closing_) return;
  closing_ = true;
  if (store && row_ >= 0 && row_ < catalogue_.RowCount(format_))
    CommitCellEdit(catalogue_, EditTarget::FileNames(format_), row_, text().toStdString());
  hide();
  if (list_) list_->setFocus();
  closing_ = false;
  emit Closed();
}

void FileNameEditor::Walk(int step) {
  QPointer<QTableView> list = list_;
  const MediaFormat format = format_;
  const int next = row_ + step;
  Finish(true);
  if (list && next >= 0 && next < catalogue_.RowCount(format)) Open(list, format, next, column_);
}

void FileNameEditor::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Finish(true);
      return;
    case Qt::Key_Escape:
      Finish(false);
      return;
    case Qt::Key_Up:
      Walk(-1);
      return;
    case Qt::Key_Down:
      Walk(1);
      return;
    default:
      QLineEdit::keyPressEvent(event);
  }
}

void FileNameEditor::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A popup or the window losing focus is not leaving the editor.
  if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) return;
  Finish(true);
}

}  // namespace hozanki
