#include "gui/listout/TemplateRowEditor.h"

#include <QComboBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

#include "core/listout/ListItems.h"
#include "core/listout/TemplateRowEdit.h"

namespace hozanki {
namespace {

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The `Tag` of an editor names the sub-item it edits.
const char* const kTagProperty = "hozankiTag";

}  // namespace

TemplateRowEditor::TemplateRowEditor(QWidget* parent) : InternalMoveTree(parent) {
  setObjectName(QStringLiteral("ListView"));
  setColumnCount(4);
  setHeaderLabels({QStringLiteral("*"), QStringLiteral("ｱｲﾃﾑ"), QStringLiteral("文字列 / 書式"),
                   QStringLiteral("改行 / 抽出")});
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::Fixed);
  header()->resizeSection(0, kMarkColumnWidth);
  header()->setSectionsMovable(false);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setAllColumnsShowFocus(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);

  ComboBoxItem = new QComboBox(viewport());
  ComboBoxItem->setObjectName(QStringLiteral("ComboBoxItem"));
  for (const ListItem& item : ListItems()) ComboBoxItem->addItem(Q(item.name));
  ComboBoxItem->setMaxVisibleItems(24);
  ComboBoxItem->setProperty(kTagProperty, 0);
  EditPatern = new QLineEdit(viewport());
  EditPatern->setObjectName(QStringLiteral("EditPatern"));
  EditPatern->setProperty(kTagProperty, 1);
  ComboBoxOption = new QComboBox(viewport());
  ComboBoxOption->setObjectName(QStringLiteral("ComboBoxOption"));
  for (std::string_view option : kListOptionNames) ComboBoxOption->addItem(Q(option));
  ComboBoxOption->setProperty(kTagProperty, 2);
  for (QWidget* editor : {static_cast<QWidget*>(ComboBoxItem), static_cast<QWidget*>(EditPatern),
                          static_cast<QWidget*>(ComboBoxOption)}) {
    editor->hide();
    editor->installEventFilter(this);
  }
}

QTreeWidgetItem* TemplateRowEditor::NewItem(int at) {
  auto* item = new QTreeWidgetItem;
  item->setFlags((item->flags() | Qt::ItemIsDragEnabled) & ~Qt::ItemIsDropEnabled);
  insertTopLevelItem(at, item);
  return item;
}

void TemplateRowEditor::ShowRow(int row, const TemplateRow& value) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (!item) return;
  item->setText(0, Q(value.LoopMark));
  item->setText(1, Q(value.Item));
  item->setText(2, Q(value.Text));
  item->setText(3, Q(value.Option));
}

TemplateRow TemplateRowEditor::RowAt(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  if (!item) return {};
  return {item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString(),
          item->text(3).toStdString()};
}

std::vector<TemplateRow> TemplateRowEditor::Rows() const {
  std::vector<TemplateRow> rows;
  for (int i = 0; i < topLevelItemCount(); ++i) rows.push_back(RowAt(i));
  return rows;
}

void TemplateRowEditor::SetRows(const std::vector<TemplateRow>& rows) {
  CloseEditor(false);
  setUpdatesEnabled(false);
  clear();
  for (size_t i = 0; i < rows.size(); ++i) {
    NewItem(static_cast<int>(i));
    ShowRow(static_cast<int>(i), rows[i]);
  }
  setUpdatesEnabled(true);
  tag_ = -1;
  emit RowsChanged();
}

int TemplateRowEditor::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.front());
}

void TemplateRowEditor::AddRow() {
  CommitEditor();
  const int row = topLevelItemCount();
  NewItem(row);
  ShowRow(row, {"", std::string(kItemText), "", ""});
  setCurrentItem(topLevelItem(row));
  emit RowsChanged();
}

void TemplateRowEditor::CopySelected() {
  CommitEditor();
  const int row = SelectedRow();
  if (row < 0) return;
  const TemplateRow copy = RowAt(row);
  NewItem(row);
  ShowRow(row, copy);
  tag_ = -1;
  emit RowsChanged();
}

void TemplateRowEditor::DeleteSelected() {
  CommitEditor();
  const int row = SelectedRow();
  if (row < 0) return;
  delete takeTopLevelItem(row);
  tag_ = -1;
  emit RowsChanged();
}

void TemplateRowEditor::ClickMark(int row) {
  std::vector<TemplateRow> rows = Rows();
  if (!ToggleLoopMark(rows, row)) return;
  ShowRow(row, rows[static_cast<size_t>(row)]);
  emit RowsChanged();
}

void TemplateRowEditor::MoveRow(int from, int to) {
  CommitEditor();
  const int count = topLevelItemCount();
  const std::vector<int> order = MoveOrder(count, {from}, to, to < from);
  if (order.empty()) return;
  std::vector<TemplateRow> rows = Rows();
  std::vector<TemplateRow> moved;
  int at = -1;
  for (int i = 0; i < count; ++i) {
    moved.push_back(rows[static_cast<size_t>(order[static_cast<size_t>(i)])]);
    if (order[static_cast<size_t>(i)] == from) at = i;
  }
  AdjustMovedMark(moved, at);
  for (int i = 0; i < count; ++i) ShowRow(i, moved[static_cast<size_t>(i)]);
  setCurrentItem(topLevelItem(at));
  tag_ = -1;
  emit RowsChanged();
}

QWidget* TemplateRowEditor::OpenEditor() const {
  for (QWidget* editor : {static_cast<QWidget*>(ComboBoxItem), static_cast<QWidget*>(EditPatern),
                          static_cast<QWidget*>(ComboBoxOption)})
    if (editor->isVisible()) return editor;
  return nullptr;
}

bool TemplateRowEditor::OpenCellEditor(int row, int column) {
  if (row != tag_ || row < 0 || row >= topLevelItemCount()) return false;
  CommitEditor();
  const TemplateRow value = RowAt(row);
  QWidget* editor = nullptr;
  if (column == 1) {
    const int at = ComboBoxItem->findText(Q(value.Item));
    ComboBoxItem->setCurrentIndex(at);
    editor = ComboBoxItem;
  } else if (column == 2) {
    const int option = ListOptionNumber(value.Option);
    if (option >= 0 && !OptionTakesText(option)) return false;
    EditPatern->setText(Q(value.Text));
    editor = EditPatern;
  } else if (column == 3) {
    if (value.Item == kItemText) {
      TemplateRow toggled = value;
      ToggleLineBreak(toggled);
      ShowRow(row, toggled);
      tag_ = -1;
      emit RowsChanged();
      return false;
    }
    if (value.Option.empty()) return false;
    ComboBoxOption->setCurrentIndex(ComboBoxOption->findText(Q(value.Option)));
    editor = ComboBoxOption;
  }
  if (!editor) return false;
  editRow_ = row;
  QRect cell = visualRect(indexFromItem(topLevelItem(row), column));
  cell.setWidth(header()->sectionSize(column) + 1);
  editor->setGeometry(cell.x(), cell.y(), cell.width(), std::max(cell.height(), editor->sizeHint().height()));
  editor->show();
  editor->setFocus(Qt::OtherFocusReason);
  return true;
}

void TemplateRowEditor::CommitEditor() {
  CloseEditor(true);
}

void TemplateRowEditor::CancelEditor() {
  CloseEditor(false);
}

void TemplateRowEditor::CloseEditor(bool store) {
  QWidget* editor = OpenEditor();
  if (!editor || closing_) return;
  closing_ = true;
  const int row = editRow_;
  if (store && row >= 0 && row < topLevelItemCount()) {
    TemplateRow value = RowAt(row);
    bool changed = false;
    if (editor == ComboBoxItem)
      changed =
          ComboBoxItem->currentIndex() >= 0 && ChooseItem(value, ComboBoxItem->currentText().toStdString());
    else if (editor == ComboBoxOption)
      changed = ComboBoxOption->currentIndex() >= 0 &&
                ChooseOption(value, ComboBoxOption->currentText().toStdString());
    else if (EditPatern->text().toStdString() != value.Text) {
      value.Text = EditPatern->text().toStdString();
      changed = true;
    }
    if (changed) {
      ShowRow(row, value);
      emit RowsChanged();
    }
  }
  editor->hide();
  editRow_ = -1;
  tag_ = -1;
  closing_ = false;
  setFocus(Qt::OtherFocusReason);
}

bool TemplateRowEditor::eventFilter(QObject* watched, QEvent* event) {
  auto* editor = qobject_cast<QWidget*>(watched);
  if (!editor || editor != OpenEditor()) return QTreeWidget::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      CommitEditor();
      return true;
    }
    if (key->key() == Qt::Key_Escape && !(key->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))) {
      // A dropped-down list takes its Escape itself.
      CancelEditor();
      return true;
    }
  } else if (event->type() == QEvent::FocusOut) {
    // Opening a combo box's list is not leaving it.
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) CommitEditor();
  }
  return QTreeWidget::eventFilter(watched, event);
}

void TemplateRowEditor::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const QModelIndex index = indexAt(at);
  CommitEditor();
  QTreeWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton || !index.isValid()) return;
  const int x = at.x() + header()->offset();
  if (x >= 2 && x <= 19) {
    ClickMark(index.row());
    return;
  }
  if (index.row() == tag_) OpenCellEditor(index.row(), index.column());
}

void TemplateRowEditor::mouseDoubleClickEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) {
    AddRow();
    return;
  }
  CommitEditor();
  tag_ = index.row();
  // The press of the double click opens the editor of the cell under it.
  if (index.column() > 0) OpenCellEditor(index.row(), index.column());
}

bool TemplateRowEditor::InsertKeyPressed() {
  CopySelected();
  return true;
}

bool TemplateRowEditor::DeleteKeyPressed() {
  DeleteSelected();
  return true;
}

bool TemplateRowEditor::DropRows(const QPoint& at) {
  const QModelIndex target = indexAt(at);
  const int from = SelectedRow();
  if (target.isValid() && from >= 0) MoveRow(from, target.row());
  return true;
}

}  // namespace hozanki
