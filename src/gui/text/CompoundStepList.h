#pragma once
// `ListViewMulti`: the step list of the compound edit window. Columns "種別",
// "置換前 / 変換 / 書式", "置換後 / ｵﾌﾟｼｮﾝ". A double-click arms a step and a
// click on a cell of the armed step opens that cell's editor (`ComboBoxKind`,
// `EditPatern`, `ComboBoxConv` or `CheckListBoxOption`); a double-click on
// empty space adds a step; Insert copies and Delete deletes the selected
// step; steps are reordered by dragging.

#include <QPointer>
#include <QStyledItemDelegate>
#include <vector>

#include "core/text/Compound.h"
#include "gui/common/InternalMoveTree.h"

namespace hozanki {

// Item data: column 0 carries the kind in Qt::UserRole.
void ShowStep(QTreeWidgetItem* item, const CompoundStep& step);
CompoundStep StepOf(const QTreeWidgetItem* item);

class CompoundStepDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit CompoundStepDelegate(QObject* parent = nullptr);
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;
  // The editor open at the moment (none when closed).
  QWidget* OpenEditor() const { return openEditor_; }
  void ForgetEditor() { openEditor_ = nullptr; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Finish(QWidget* editor);
  mutable QPointer<QWidget> openEditor_;
};

class CompoundStepList : public InternalMoveTree {
  Q_OBJECT

 public:
  explicit CompoundStepList(QWidget* parent = nullptr);

  std::vector<CompoundStep> Steps() const;
  void SetSteps(const std::vector<CompoundStep>& steps);
  // "[追加]": a 置換 step with both texts empty, at the end.
  void AddStep();
  // "[複製]": a copy of the selected step just above it.
  void CopySelected();
  // "[削除]".
  void DeleteSelected();
  // What a drop on `row` does (-1: empty space, the end): the selected
  // steps, in their order, move so that the first of them is at `row`.
  void MoveSelectedTo(int row);
  // Stores and closes an open editor (every menu command does this first).
  void CommitEditor();
  // Opens the editor of a cell of the armed row (what a click does).
  bool OpenCellEditor(int row, int column);
  int ArmedRow() const { return armedRow_; }
  void ArmRow(int row) { armedRow_ = row; }
  CompoundStepDelegate* Delegate() const { return delegate_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool InsertKeyPressed() override;
  bool DeleteKeyPressed() override;
  bool DropRows(const QPoint& at) override;

 private:
  CompoundStepDelegate* delegate_;
  int armedRow_ = -1;
};

}  // namespace hozanki
