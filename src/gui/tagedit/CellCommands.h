#pragma once
// `CellCommands`: the commands that change the cells of the edit column of
// the selected rows (in rename mode the file names of the active file list):
// copy, paste, set-all, clear and undo; the conversions; replace, regular
// expression and substring; compound edits (their store "NR284Cnv.dat", the
// two "複合編集(&M)" submenus' entries, their window); and the encoding
// repair. Every command that computes new text goes through ApplyToRows.
//
// The window is reached only through `CellCommandHost`. The window builds the
// menus and connects their items to the public functions here.

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/tagedit/ApplyToRows.h"
#include "core/tagedit/EditTarget.h"
#include "core/text/Compound.h"
#include "core/text/KanjiReading.h"

class QAction;
class QMenu;
class QTableView;
class QWidget;

namespace hozanki {

class TFormRegexp;
class TFormReplace;
class TFormSubstr;

// What the cell commands need of the main window.
struct CellCommandHost {
  // Parent of the dialogs, its title on message boxes; the shortcuts of its
  // actions are dropped while a modeless window is open.
  QWidget* window = nullptr;
  std::filesystem::path settingsFolder;
  std::function<Catalogue&()> catalogue;
  // The folder the rows are relative to.
  std::function<std::filesystem::path()> currentFolder;
  std::function<bool()> renameMode;
  std::function<bool()> busy;
  // The active file list (`fileList`) or tag table.
  std::function<QTableView*(bool fileList)> activeView;
  // The file-name column of the active file list, or the edit column of the
  // active tag table (sub-item = edit column - 1; negative when none).
  std::function<EditTarget(bool fileList)> target;
  // The two "複合編集(&M)" submenus whose entries list the store.
  std::vector<QMenu*> compoundMenus;
};

class CellCommands : public QObject {
  Q_OBJECT

 public:
  CellCommands(CellCommandHost host, QObject* parent);
  ~CellCommands() override;

  // Copy, paste and undo on the file list (`fileList`) or the tag table.
  void CopyFrom(bool fromFileList);
  void PasteInto(bool intoFileList);
  void UndoIn(bool inFileList);
  // The Edit menu's copy and paste (rename mode: the file list) and undo
  // (the focused list).
  void MenuEditCopyClick();
  void MenuEditPasteClick();
  void MenuEditUndoClick();
  // "一括設定(&A)…" and "消去(&B)" on the edit column of the tag table.
  void PopupTSetAllClick();
  void PopupTClearClick();
  // The conversion numbered `kind` (ConvertKindInfo::number) on the selected
  // cells (rename mode: the names without their extension).
  void PopupConvertClick(int kind);

  // "置換(&R)", "正規表現(&G)" and "部分参照(&S)": the dialog, then the
  // text of the rows open to editing.
  void PopupReplaceClick();
  void PopupRegexpClick();
  void PopupSubstrClick();

  // Compound edits. LoadCompoundEdits reads "NR284Cnv.dat" and fills the
  // submenus.
  void LoadCompoundEdits();
  const std::vector<CompoundEdit>& CompoundStore() const { return compoundStore_; }
  // `PopupMultiClick`: runs compound edit `index` on the selected cells of
  // the edit column (rename mode: the whole file names).
  void PopupMultiClick(int index);
  // `MenuOptionMulti`: opens the compound edit window (or raises it).
  void MenuOptionMultiClick();
  // Writes "NR284Cnv.dat", replaces the store and rebuilds both submenus.
  // Refused (with `error`) when the file could not be read at start: its
  // compound edits, never shown, would be lost.
  bool StoreCompoundEdits(const std::vector<CompoundEdit>& edits, std::string* error);
  // Closes the compound edit window (its changes are dropped) at once.
  void CloseCompoundWindow();
  // While a modeless window is open, Ctrl+C, Ctrl+V and Ctrl+Z are its own.
  // Calls nest: the last restore gives them back.
  void DropEditShortcuts();
  void RestoreEditShortcuts();

  // "読みを設定": the preview of the readings of the selected rows of the
  // active tag table, then the readings as edits and the corrections learned
  // into "NR284Yomi.dat". The reading columns offered are those of the
  // table; when the edit column is one of them only it is checked at first.
  void PopupReadingClick();

  // "文字コード修復…" on the selected files (all when none is selected) of
  // the file list (`fromFileList`) or the tag table's format.
  void RepairClick(bool fromFileList);

 private:
  Catalogue& Data() const { return host_.catalogue(); }
  bool HasTextCommandTarget() const;
  // ApplyToRows on the rename mode's file names or the tag table's edit
  // column, then the report of the rows it could not handle.
  void ApplyTextCommand(bool selectAll, const CellComputation& compute);
  // A message box naming each row that a text command could not handle, and
  // why; nothing for an empty list.
  void ReportFailures(const EditTarget& target, const std::vector<RowFailure>& failures);
  void BuildCompoundMenus();
  std::optional<std::string> CompoundCheckCell() const;

  CellCommandHost host_;
  // The dialogs of the text commands, made on first use.
  TFormReplace* formReplace_ = nullptr;
  TFormRegexp* formRegexp_ = nullptr;
  TFormSubstr* formSubstr_ = nullptr;
  // Compound edits and their window; the shortcuts taken while it is open.
  std::vector<CompoundEdit> compoundStore_;
  std::string compoundStoreReadError_;
  QPointer<QWidget> formMulti_;
  int shortcutDrops_ = 0;
  // The analyser, loaded on the first "読みを設定"; the options last chosen.
  std::unique_ptr<KanjiReader> reader_;
  ReadingOptions readingOptions_;
  std::vector<std::pair<QPointer<QAction>, QKeySequence>> droppedShortcuts_;
};

}  // namespace hozanki
