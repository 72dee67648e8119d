#pragma once
// `RenamePatternCommands`: the fixed-form rename patterns. The store is read
// from "NR284Ren.dat" at start; the submenu "定型リネーム(&F)" of the rename
// popup lists the patterns of the active file page's format and applies one
// to the selected names; "設定(&O)" and the Options menu open the pattern
// window `TFormRename`, which takes the Edit menu's Ctrl+C, Ctrl+V and Ctrl+Z
// while it is open. The window is reached only through `RenamePatternHost`.

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <string>

#include "core/catalogue/Catalogue.h"
#include "core/rename/RenamePattern.h"

class QMenu;
class QTableView;
class QWidget;

namespace hozanki {

class TFormRename;

// What the rename patterns need of the main window.
struct RenamePatternHost {
  // Parent of the pattern window and the messages.
  QWidget* window = nullptr;
  std::filesystem::path settingsFolder;
  std::function<Catalogue&()> catalogue;
  std::function<bool()> busy;
  // The active file page (a format) and the file list of a page.
  std::function<int()> filePage;
  std::function<QTableView*(int page)> fileList;
  // Closes whichever in-place editor is open (it stores its text).
  std::function<void()> closeEditor;
  // The hand-over of Ctrl+C, Ctrl+V and Ctrl+Z to the pattern window.
  std::function<void()> dropShortcuts;
  std::function<void()> restoreShortcuts;
  // "定型リネーム(&F)": the patterns, then a separator and "設定(&O)", made
  // again on its next opening once they are out of date (MarkPatternMenuStale).
  QMenu* patternMenu = nullptr;
};

class RenamePatternCommands : public QObject {
  Q_OBJECT

 public:
  RenamePatternCommands(RenamePatternHost host, QObject* parent);
  ~RenamePatternCommands() override;

  // Reads "NR284Ren.dat" (missing: no patterns).
  void LoadPatterns();
  // The patterns, read at start, replaced when the pattern window saves (the
  // submenu is then rebuilt on its next opening).
  const RenamePatternStore& Patterns() const { return patterns_; }
  // Why "NR284Ren.dat" could not be read at start ("" when it could or was
  // missing): the pattern window then refuses to save over it.
  const std::string& ReadError() const { return readError_; }
  void ReplacePatterns(RenamePatternStore store);
  const std::filesystem::path& SettingsFolder() const { return host_.settingsFolder; }
  // The entry of the focused row of file page `page`, or null.
  const MediaFileEntry* FocusedEntry(int page) const;

  // Brings the submenu up to date with the active file page's patterns.
  void PopupRPopup();
  // The submenu's entries are out of date (another page): the window says so
  // when the rows are synchronised; a new store says so itself.
  void MarkPatternMenuStale() { patternMenuStale_ = true; }
  // `PopupRFormClick`: applies pattern `index` of the active file page's
  // format to the selected rows (all rows when none is selected).
  void PopupRFormClick(int index);
  // Opens the pattern window (or raises the open one).
  TFormRename* OpenFormRename();
  TFormRename* FormRenameWindow() const;
  // Closes the pattern window at once (its changes are dropped).
  void CloseFormRename();

 private:
  void FormRenameClosed();

  RenamePatternHost host_;
  RenamePatternStore patterns_;
  std::string readError_;
  bool patternMenuStale_ = true;
  QPointer<TFormRename> formRename_;
};

}  // namespace hozanki
