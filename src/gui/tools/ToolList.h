#pragma once
// `ListViewTool`: the rows of the tool dialog ("処理名", "ﾂｰﾙﾊﾟｽ", "ﾊﾟﾗﾒｰﾀ").
// A double click arms a row, as does a click on a row that was already
// selected (released without a drag); a click on a cell of the armed row opens
// the edit field `EditListViewTool` over that cell (Enter or leaving stores,
// Escape drops), and the edit's end disarms the row. Dragging the selected rows onto another row moves them
// there in their order. Changed() tells of every stored edit and move.

#include <QTableWidget>

#include "core/settings/AppSettings.h"

class QLineEdit;

namespace hozanki {

class ToolList : public QTableWidget {
  Q_OBJECT

 public:
  explicit ToolList(QWidget* parent = nullptr);

  void SetTools(const std::vector<ToolEntry>& tools);
  std::vector<ToolEntry> Tools() const;
  // Appends a row, selected and focused.
  void AppendTool(const ToolEntry& tool);
  int ArmedRow() const { return armedRow_; }
  QLineEdit* Editor() const { return EditListViewTool; }
  // Moves the selected rows onto `target` as a drop does; false when nothing
  // moves.
  bool MoveSelectedRows(int target);

 signals:
  void Changed();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OpenEditor(int row, int column);
  void CloseEditor(bool store);
  std::vector<int> SelectedRowNumbers() const;

  QLineEdit* EditListViewTool = nullptr;
  int armedRow_ = -1;
  int editedRow_ = -1;
  int editedColumn_ = -1;
  QPoint pressPos_;
  bool pressOnSelection_ = false;
  // The selected row a press fell on: armed by the release unless a drag began.
  int armOnRelease_ = -1;
};

}  // namespace hozanki
