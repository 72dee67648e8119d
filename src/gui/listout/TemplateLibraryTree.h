#pragma once
// `TreeView` of the list window: the template library shown as its titles,
// in library order. Expanding is never possible (the rows of a template are
// opened into the row editor by a double click instead). Dragging a title
// onto another asks the window to move that template (MoveRequested).

#include <QTreeWidget>
#include <vector>

#include "core/listout/TemplateRow.h"

namespace hozanki {

class TemplateLibraryTree : public QTreeWidget {
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
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace hozanki
