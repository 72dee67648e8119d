#pragma once
// `FileListController`: the behaviour of the eight file lists. Header clicks
// (`cmnListViewFColumnClick`: Shift sorts with the "+"/"-" marks, the
// file-name header switches the mode), the sort mark that only one column of
// all lists carries (the tag tables' sorting moves it too), the press on an
// armed row (`cmnListViewFMouseDown`: the read-only copy box
// `EditListViewCopy`, or rename mode's name editor `EditListView`), Esc and
// Enter, the selected files (paths for dragging out), "除外(&D)" and
// "プロパティ(&R)".

#include <QObject>
#include <array>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "gui/app/EditMode.h"

class QLineEdit;
class QPoint;
class QWidget;

namespace hozanki {

class CatalogueTableModel;
class FileListModel;
class FileListView;
class InPlaceEditors;

// What the file lists need of the window.
struct FileListHost {
  Catalogue* catalogue = nullptr;
  std::function<std::filesystem::path()> currentFolder;
  std::function<bool()> isBusy;
  std::function<EditMode()> mode;
  std::function<void(EditMode)> switchMode;
  // The shared in-place editors (none: nothing opens or closes).
  std::function<InPlaceEditors*()> editors;
  // The file page and the tag page shown.
  std::function<int()> filePage;
  std::function<int()> tagPage;
  // PopupR at a global position (a click on the file-name header in rename
  // mode when the column-click setting asks for the menu).
  std::function<void(const QPoint&)> popupRenameMenu;
  // A pending mirror of the selection is run at once; a new one is asked for.
  std::function<void()> runPendingSync;
  std::function<void()> requestSync;
  // Rename mode's name editor (no length limit).
  QLineEdit* nameEditor = nullptr;
  // The parent of the question and the property dialog.
  QWidget* window = nullptr;
};

class FileListController : public QObject {
  Q_OBJECT

 public:
  FileListController(const std::array<FileListView*, kFormatCount>& views,
                     const std::array<FileListModel*, kFormatCount>& models, FileListHost host,
                     QObject* parent = nullptr);

  // `cmnListViewFColumnClick` on file page `page`.
  void ColumnClick(int page, int column, bool shift);
  // Shift+click on column `column` (1..4) of file page `page`: the rows of
  // the format sorted ascending, or descending when the column already
  // carries "+"; the selection moves with its rows.
  void Sort(int page, int column);
  // The sort mark goes to `column` of `model` ("-" descending, else "+") and
  // leaves the column that carried it; `key` is the new sort key.
  void MoveSortMark(CatalogueTableModel* model, int column, bool descending, int key);
  // No list carries the mark (a new folder is being listed).
  void ForgetSortMark();
  // The sort key of the last sort (column × 2 − 2, + 1 descending), -1 none.
  int SortKey() const { return sortKey_; }
  // The full paths of the selected rows of a file list, in list order.
  std::vector<std::filesystem::path> SelectedFullPaths(int page) const;
  // Rename mode's name editor on a row of file page `page`.
  void OpenFileNameEditor(int page, int row);
  // Closes whichever in-place editor is open (it stores its text).
  void CloseEditors();
  // "除外(&D)": asks, then removes the rows selected in the active file list.
  void ExcludeClick();
  // "プロパティ(&R)": the property dialog of the focused file.
  void PropertyClick();

 signals:
  // A press on the armed file-name cell in rename mode: the file-name editor
  // `EditListView` opens there (rename mode's editor).
  void FileNameEditRequested(int page, int row);

 private:
  void SetUp(int page);
  bool IsRenameMode() const { return host_.mode() == EditMode::Rename; }
  void ArmedPress(int page, int row, int column);
  void OpenCopyBox(int page, int row, int column);
  void Escape(int page);

  std::array<FileListView*, kFormatCount> views_;
  std::array<FileListModel*, kFormatCount> models_;
  FileListHost host_;
  // The list (file list or tag table) whose header carries the sort mark,
  // and the mark's column; only one column of all lists carries it.
  CatalogueTableModel* sortedModel_ = nullptr;
  int sortedColumn_ = -1;
  int sortKey_ = -1;
};

}  // namespace hozanki
