#pragma once
// The behaviour of the eleven tag tables of `TFormMain`: header clicks
// (`cmnListViewTColumnClick`: the check-column header, Shift-sorting with the
// "+"/"-" marks, choosing the edit column, leaving rename mode), the edit
// column and its colours, "モード解除(&X)" and Escape, the keys and presses
// of `cmnListViewTKeyDown`/`cmnListViewTMouseDown`/`cmnListViewDblClick`
// (check boxes with the MP3 exclusion rule, arming and opening the in-place
// editors, Left/Right moving the edit column), `PopupTPopup`, "除外(&D)",
// "プロパティ(&R)", and closing an open editor when a menu opens or the tag
// page is about to change.

#include <QObject>
#include <filesystem>
#include <functional>

#include "core/common/FormatRegistry.h"

class QEvent;
class QKeyEvent;
class QMouseEvent;
class QTableView;

namespace hozanki {

class InPlaceEditors;
class TFormMain;

class TagTableController : public QObject {
  Q_OBJECT

 public:
  explicit TagTableController(TFormMain& window);

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
  // "除外(&D)": asks, then removes the rows selected in the active file list.
  void ExcludeClick();
  // "プロパティ(&R)": the property dialog of the focused file.
  void PropertyClick();

  // The folder the listed files are in.
  std::function<std::filesystem::path()> loadedFolder;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Sort(int page, int column);
  bool KeyPress(int page, QKeyEvent* event);
  bool MousePress(int page, QMouseEvent* event);
  void PopupTPopup();
  void RunPendingSync();
  int PageOf(const QObject* watched) const;

  TFormMain& w_;
  InPlaceEditors* editors_;
};

}  // namespace hozanki
