#include "gui/options/PlayerList.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "gui/common/CellEditor.h"

namespace hozanki {

PlayerList::PlayerList(QWidget* parent) : QTableWidget(kFormatCount, 3, parent) {
  setObjectName(QStringLiteral("ListViewOptionPlayer"));
  setHorizontalHeaderLabels({QStringLiteral(" "), QStringLiteral("ﾌﾟﾚｲﾔｰ"), QStringLiteral("ﾊﾟﾗﾒｰﾀ")});
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  horizontalHeader()->resizeSection(kFormatColumn, 45);
  horizontalHeader()->resizeSection(kProgramColumn, 230);
  horizontalHeader()->setStretchLastSection(true);
  for (int row = 0; row < kFormatCount; ++row) {
    const std::string_view name = FormatName(static_cast<MediaFormat>(row));
    setItem(row, kFormatColumn, new QTableWidgetItem(QString::fromLatin1(name.data(), static_cast<int>(name.size()))));
    setItem(row, kProgramColumn, new QTableWidgetItem);
    setItem(row, kParameterColumn, new QTableWidgetItem);
  }
  EditListView = new QLineEdit(viewport());
  EditListView->setObjectName(QStringLiteral("EditListView"));
  EditListView->setMaxLength(kParameterLimit);
  EditListView->hide();
  EditListView->installEventFilter(this);
}

void PlayerList::SetRow(int row, const QString& program, const QString& parameters) {
  item(row, kProgramColumn)->setText(program);
  item(row, kParameterColumn)->setText(parameters.left(kParameterLimit));
}

QString PlayerList::Program(int row) const {
  return item(row, kProgramColumn)->text();
}

QString PlayerList::Parameters(int row) const {
  return item(row, kParameterColumn)->text();
}

void PlayerList::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableWidget::mouseDoubleClickEvent(event);
  armedRow_ = rowAt(event->position().toPoint().y());
}

void PlayerList::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const int row = rowAt(at.y());
  const int column = columnAt(at.x());
  const bool wasSelected = row >= 0 && selectionModel()->isRowSelected(row, {});
  QTableWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton || row < 0) return;
  if (row != armedRow_) {
    if (wasSelected) armedRow_ = row;
    return;
  }
  if (column == kProgramColumn) {
    armedRow_ = -1;
    const QString chosen = programDialog_ ? programDialog_(Program(row)) : QString();
    if (!chosen.isEmpty()) item(row, kProgramColumn)->setText(chosen);
  } else if (column == kParameterColumn) {
    OpenEditor(row);
  }
}

void PlayerList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && currentRow() >= 0) {
    SetRow(currentRow(), QString(), QString());
    return;
  }
  QTableWidget::keyPressEvent(event);
}

void PlayerList::OpenEditor(int row) {
  editedRow_ = row;
  ShowCellEditor(this, EditListView, row, kParameterColumn, Parameters(row));
}

void PlayerList::CloseEditor(bool store) {
  if (editedRow_ < 0) return;
  const int row = editedRow_;
  editedRow_ = -1;
  armedRow_ = -1;
  if (store) item(row, kParameterColumn)->setText(EditListView->text());
  // Focus first: hiding a focused child would move the current row on like Tab.
  setFocus();
  EditListView->hide();
}

bool PlayerList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == EditListView && FilterCellEditorEvent(event, [this](bool store) { CloseEditor(store); }))
    return true;
  return QTableWidget::eventFilter(watched, event);
}

}  // namespace hozanki
