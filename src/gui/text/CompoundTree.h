#pragma once
// `TreeViewMulti`: the compound edits of the compound edit window, one root
// per compound edit (its name), whose children hold the steps and are never
// expanded. Dragging a compound edit onto another moves it before that one
// when it came from below, otherwise after it.

#include <string>
#include <vector>

#include "core/text/Compound.h"
#include "gui/common/InternalMoveTree.h"

namespace hozanki {

class CompoundTree : public InternalMoveTree {
  Q_OBJECT

 public:
  explicit CompoundTree(QWidget* parent = nullptr);

  void SetEdits(const std::vector<CompoundEdit>& edits);
  std::vector<CompoundEdit> Edits() const;
  // Appends a root; returns it.
  QTreeWidgetItem* Append(const CompoundEdit& edit);
  // Renames the root and replaces its steps.
  static void Replace(QTreeWidgetItem* root, const CompoundEdit& edit);
  static CompoundEdit EditOf(const QTreeWidgetItem* root);
  // The selected compound edit (the root of the selected item), or none.
  QTreeWidgetItem* SelectedRoot() const;
  // Moves root `from` as a drop on root `onto` does.
  void MoveRoot(int from, int onto);

 signals:
  // A compound edit was moved by dragging.
  void Reordered();

 protected:
  bool DropRows(const QPoint& at) override;
};

}  // namespace hozanki
