#pragma once
// The row editor `ListView` of the list window: the rows of the template
// being edited, columns "*", "ｱｲﾃﾑ", "文字列 / 書式", "改行 / 抽出". A click in
// the "*" column sets or clears the loop mark (the block stays contiguous);
// a double click arms a row (`Tag`) and a press on the armed row opens the
// editor of the cell under the pointer: `ComboBoxItem`, `EditPatern` or
// `ComboBoxOption` (a テキスト row's "改行 / 抽出" just toggles "↓"). Enter or
// leaving commits, Escape cancels. A double click on empty space adds a row;
// Insert duplicates and Delete deletes the selected row; dragging the
// selected row onto another moves it there.

#include <vector>

#include "core/listout/TemplateRow.h"
#include "gui/common/InternalMoveTree.h"

class QComboBox;
class QLineEdit;

namespace hozanki {

class TemplateRowEditor : public InternalMoveTree {
  Q_OBJECT

 public:
  static constexpr int kMarkColumnWidth = 21;

  explicit TemplateRowEditor(QWidget* parent = nullptr);

  std::vector<TemplateRow> Rows() const;
  // Replaces every row (repainting suspended); disarms.
  void SetRows(const std::vector<TemplateRow>& rows);
  TemplateRow RowAt(int row) const;
  int SelectedRow() const;

  // "[追加]": an empty unmarked テキスト row at the end.
  void AddRow();
  // "[複製]": a copy of the selected row just above it.
  void CopySelected();
  // "[削除]".
  void DeleteSelected();
  // A click on the "*" column of `row`.
  void ClickMark(int row);
  // Dragging row `from` onto row `to` (upward: before it; downward: after).
  void MoveRow(int from, int to);

  // `Tag`: the row armed for in-place editing, -1 none.
  int Tag() const { return tag_; }
  void Arm(int row) { tag_ = row; }
  // Opens the editor of cell `column` (1 item, 2 text, 3 option) of the
  // armed row; false when the cell has none (a テキスト row's option toggles).
  bool OpenCellEditor(int row, int column);
  // The open editor stores its value and closes; Cancel closes without.
  void CommitEditor();
  void CancelEditor();
  QWidget* OpenEditor() const;

  QComboBox* ComboBoxItem = nullptr;
  QLineEdit* EditPatern = nullptr;
  QComboBox* ComboBoxOption = nullptr;

 signals:
  void RowsChanged();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool InsertKeyPressed() override;
  bool DeleteKeyPressed() override;
  bool DropRows(const QPoint& at) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowRow(int row, const TemplateRow& value);
  QTreeWidgetItem* NewItem(int at);
  void CloseEditor(bool store);

  int tag_ = -1;
  int editRow_ = -1;
  bool closing_ = false;
};

}  // namespace hozanki
