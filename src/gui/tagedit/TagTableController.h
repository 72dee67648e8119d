#pragma once
// The behaviour of the eleven tag tables of the main window: header clicks
// (`cmnListViewTColumnClick`: the check-column header, Shift-sorting with the
// "+"/"-" marks, choosing the edit column, leaving rename mode), the edit
// column and its colours, "モード解除(&X)" and Escape, the keys and presses
// of `cmnListViewTKeyDown`/`cmnListViewTMouseDown`/`cmnListViewDblClick`
// (check boxes with the MP3 exclusion rule, arming and opening the in-place
// editors, Left/Right moving the edit column), `PopupTPopup`, and closing
// an open editor when a menu opens or the tag page is about to change. It
// owns the shared in-place editors of the window.

#include <QObject>
#include <array>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/common/FormatRegistry.h"
#include "gui/app/EditMode.h"
#include "gui/tagedit/InPlaceEditors.h"

class QEvent;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class QTabBar;
class QTableView;
class QWidget;

namespace hozanki {

class CatalogueTableModel;
class TagTableModel;

// What the tag tables need of the window.
struct TagTableHost {
  Catalogue* catalogue = nullptr;
  std::array<QTableView*, kTagKindCount> views{};
  std::array<TagTableModel*, kTagKindCount> models{};
  // The window the editors are laid over, with the editor widgets and the
  // Edit menu's actions whose shortcuts an open editor takes.
  QWidget* window = nullptr;
  InPlaceEditors::Widgets editorWidgets;
  std::vector<QAction*> shortcutActions;
  // The menus whose opening closes an open editor, and the popup of a page
  // with an edit column.
  std::vector<QMenu*> menus;
  QMenu* popupT = nullptr;
  // A press on these tab bars closes an open editor (the tag page's change
  // is refused once).
  QTabBar* fileTabs = nullptr;
  QTabBar* tagTabs = nullptr;
  std::function<EditMode()> mode;
  std::function<void(EditMode)> switchMode;
  // The edit column of a tag page (-1 none); storing one also gives the
  // page its popup (PopupT, or PopupF for none).
  std::function<int(int)> editColumn;
  std::function<void(int, int)> setEditColumn;
  // The shared sort mark (see FileListController::MoveSortMark).
  std::function<void(CatalogueTableModel*, int, bool, int)> moveSortMark;
  // The tag page shown and the file list shown.
  std::function<int()> tagPage;
  std::function<QTableView*()> activeFileList;
  std::function<QTableView*()> activeTagTable;
};

class TagTableController : public QObject {
  Q_OBJECT

 public:
  explicit TagTableController(TagTableHost host, QObject* parent = nullptr);

  InPlaceEditors& Editors() const { return *editors_; }

  // cmnListViewTColumnClick on column `column` of tag page `page`.
  void ColumnClick(int page, int column, bool shift);
  // The edit column of a page becomes `column` (>= 1) with the popup PopupT.
  void SetEditColumn(int page, int column);
  // "モード解除(&X)": no edit column, popup PopupF.
  void ModeOff(int page);
  // Opens the editor of a cell of tag page `page` as a press on it would
  // (the row must be armed and selected); true when one opened.
  bool OpenCellEditor(int page, int row, int column);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Sort(int page, int column);
  bool KeyPress(int page, QKeyEvent* event);
  bool MousePress(int page, QMouseEvent* event);
  void PopupTPopup();
  int PageOf(const QObject* watched) const;
  bool IsRenameMode() const { return host_.mode() == EditMode::Rename; }

  TagTableHost host_;
  InPlaceEditors* editors_;
};

}  // namespace hozanki
