#pragma once
// `TreeView` of the list window: the template library shown as its titles,
// in library order. Expanding is never possible (the rows of a template are
// opened into the row editor by a double click instead). Dragging a title
// onto another asks the window to move that template (MoveRequested).

#include <vector>

#include "core/listout/TemplateRow.h"
#include "gui/common/InternalMoveTree.h"

namespace hozanki {

class TemplateLibraryTree : public InternalMoveTree {
  Q_OBJECT

 public:
  explicit TemplateLibraryTree(QWidget* parent = nullptr);

  void SetTemplates(const std::vector<ListTemplate>& templates);
  // The selected entry's index, -1 none.
  int SelectedIndex() const;
  void SelectIndex(int index);

 signals:
  void MoveRequested(int from, int onto);
  void OpenRequested(int index);

 protected:
  bool DropRows(const QPoint& at) override;
};

}  // namespace hozanki
