// TFormMain: the feature controllers. They are made here, given what they
// need of the window through their host structures, and the menu items are
// connected to them.

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>

#include "gui/app/FormMain.h"
#include "gui/listout/ListWindowCommands.h"
#include "gui/options/OptionCommands.h"
#include "gui/rename/RenamePatternCommands.h"
#include "gui/tagedit/CellCommands.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagRowDrag.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/tools/ToolCommands.h"

namespace hozanki {
namespace {

constexpr const char* kRepairCaption = "文字コード修復…";

// Puts `item` into `menu` after the item named `after` (at the end when absent).
void InsertAfter(QMenu* menu, const char* after, QAction* item) {
  const QList<QAction*> items = menu->actions();
  for (qsizetype i = 0; i < items.size(); ++i) {
    if (items[i]->objectName() == QLatin1String(after)) {
      if (i + 1 < items.size())
        menu->insertAction(items[i + 1], item);
      else
        menu->addAction(item);
      return;
    }
  }
  menu->addAction(item);
}

QAction* NewRepairItem(QObject* parent, const char* name) {
  auto* item = new QAction(QString::fromUtf8(kRepairCaption), parent);
  item->setObjectName(QLatin1String(name));
  return item;
}

}  // namespace

EditTarget TFormMain::CurrentTarget(bool fromFileList) const {
  if (fromFileList) return EditTarget::FileNames(static_cast<MediaFormat>(ui_.PageControlF->currentIndex()));
  const int page = ui_.PageControlT->currentIndex();
  return EditTarget::TagColumn(static_cast<TagKind>(page), editColumn_[static_cast<size_t>(page)] - 1);
}

void TFormMain::SetUpCellCommands() {
  CellCommandHost host;
  host.window = this;
  host.settingsFolder = session_->SettingsFolder();
  host.catalogue = [this]() -> Catalogue& { return session_->Data(); };
  host.currentFolder = [this] { return session_->CurrentFolder(); };
  host.renameMode = [this] { return IsRenameMode(); };
  host.busy = [this] { return IsBusy(); };
  host.activeView = [this](bool fileList) { return fileList ? ActiveFileList() : ActiveTagTable(); };
  host.target = [this](bool fileList) { return CurrentTarget(fileList); };
  host.compoundMenus = {ui_.PopupTMulti, ui_.PopupRMulti};
  cells_ = new CellCommands(std::move(host), this);
  cells_->LoadCompoundEdits();
  CellCommands* cells = cells_;
  QAction* save = findChild<QAction*>(QStringLiteral("MenuFileSave"));
  save->setEnabled(true);
  connect(save, &QAction::triggered, this, &TFormMain::MenuFileSaveClick);

  auto hook = [this](const char* name, auto slot) {
    QAction* item = findChild<QAction*>(QLatin1String(name));
    if (!item) return;
    item->setEnabled(true);
    connect(item, &QAction::triggered, cells_, slot);
  };
  hook("MenuEditCopy", [cells] { cells->MenuEditCopyClick(); });
  hook("MenuEditPaste", [cells] { cells->MenuEditPasteClick(); });
  hook("MenuEditUndo", [cells] { cells->MenuEditUndoClick(); });
  hook("PopupTCopy", [cells] { cells->CopyFrom(false); });
  hook("PopupRCopy", [cells] { cells->CopyFrom(true); });
  hook("PopupTPaste", [cells] { cells->PasteInto(false); });
  hook("PopupRPaste", [cells] { cells->PasteInto(true); });
  hook("PopupTSetAll", [cells] { cells->PopupTSetAllClick(); });
  hook("PopupTClear", [cells] { cells->PopupTClearClick(); });
  hook("PopupTUndo", [cells] { cells->UndoIn(false); });
  hook("PopupRUndo", [cells] { cells->UndoIn(true); });
  // The fourteen conversions of both popups; the kind is the item's data.
  for (QMenu* popup : {ui_.PopupT, ui_.PopupR})
    for (QAction* item : popup->findChildren<QAction*>()) {
      if (!item->objectName().contains(QLatin1String("Convert")) || item->menu() || !item->data().isValid())
        continue;
      item->setEnabled(true);
      connect(item, &QAction::triggered, cells,
              [cells, item] { cells->PopupConvertClick(item->data().toInt()); });
    }
  // Delete is the shortcut of "消去(&B)" on a table with an edit column.
  for (QTableView* table : ui_.listViewT) {
    auto* clear = new QShortcut(QKeySequence(Qt::Key_Delete), table, nullptr, nullptr, Qt::WidgetShortcut);
    connect(clear, &QShortcut::activated, this, [this, table] {
      if (PopupOf(table) == ui_.PopupT && !IsBusy()) cells_->PopupTClearClick();
    });
  }
  // Replace, regular expression, substring.
  hook("PopupTReplace", [cells] { cells->PopupReplaceClick(); });
  hook("PopupRReplace", [cells] { cells->PopupReplaceClick(); });
  hook("PopupTRegexp", [cells] { cells->PopupRegexpClick(); });
  hook("PopupRRegexp", [cells] { cells->PopupRegexpClick(); });
  hook("PopupTSubstr", [cells] { cells->PopupSubstrClick(); });
  hook("PopupRSubstr", [cells] { cells->PopupSubstrClick(); });
  // The compound edit window.
  for (const char* name : {"MenuOptionMulti", "PopupTMultiOption", "PopupRMultiOption"})
    hook(name, [cells] { cells->MenuOptionMultiClick(); });

  // "文字コード修復…" in the Edit menu and the popups of the file lists and
  // tag tables (PopupF, PopupT) and of the rename-mode lists (PopupR).
  QAction* edit = NewRepairItem(this, "MenuEditRepair");
  InsertAfter(ui_.MenuEdit, "MenuEditEditor", edit);
  connect(edit, &QAction::triggered, this,
          [this] { cells_->RepairClick(IsRenameMode() || ActiveFileList()->hasFocus()); });
  QAction* tags = NewRepairItem(this, "PopupTRepair");
  InsertAfter(ui_.PopupT, "PopupTSubstr", tags);
  connect(tags, &QAction::triggered, this, [this] { cells_->RepairClick(false); });
  // The file lists' popup, also shown by a tag table without an edit column.
  QAction* files = NewRepairItem(this, "PopupFRepair");
  InsertAfter(ui_.PopupF, "PopupFListOut", files);
  connect(files, &QAction::triggered, this, [this] { cells_->RepairClick(!ActiveTagTable()->hasFocus()); });
  QAction* names = NewRepairItem(this, "PopupRRepair");
  InsertAfter(ui_.PopupR, "PopupRSubstr", names);
  connect(names, &QAction::triggered, this, [this] { cells_->RepairClick(true); });
}

void TFormMain::SetUpTools() {
  ToolHost host;
  host.window = this;
  host.settingsFolder = session_->SettingsFolder();
  host.catalogue = [this]() -> Catalogue& { return session_->Data(); };
  host.currentFolder = [this] { return session_->CurrentFolder(); };
  host.busy = [this] { return IsBusy(); };
  host.renameMode = [this] { return IsRenameMode(); };
  host.filePage = [this] { return ui_.PageControlF->currentIndex(); };
  host.fileList = [this](int page) -> QTableView* { return FileList(page); };
  host.activeView = [this](bool fileList) { return fileList ? ActiveFileList() : ActiveTagTable(); };
  host.target = [this](bool fileList) { return CurrentTarget(fileList); };
  host.toolMenu = ui_.PopupFTool;
  tools_ = new ToolCommands(std::move(host), this);
  ToolCommands* tools = tools_;
  const std::pair<const char*, void (ToolCommands::*)()> items[] = {
      {"MenuOptionTool", &ToolCommands::MenuOptionToolClick},
      {"PopupFToolSetup", &ToolCommands::MenuOptionToolClick},
      {"PopupFPlay", &ToolCommands::PopupFPlayClick},
      {"MenuEditEditor", &ToolCommands::PopupEditorClick},
      {"PopupTEditor", &ToolCommands::PopupEditorClick},
      {"PopupREditor", &ToolCommands::PopupEditorClick}};
  for (const auto& [name, slot] : items) {
    QAction* item = findChild<QAction*>(QLatin1String(name));
    item->setEnabled(true);
    connect(item, &QAction::triggered, tools, slot);
  }
}

void TFormMain::SetUpRenamePatterns() {
  RenamePatternHost host;
  host.window = this;
  host.settingsFolder = session_->SettingsFolder();
  host.catalogue = [this]() -> Catalogue& { return session_->Data(); };
  host.busy = [this] { return IsBusy(); };
  host.filePage = [this] { return ui_.PageControlF->currentIndex(); };
  host.fileList = [this](int page) -> QTableView* { return FileList(page); };
  host.closeEditor = [this] { Tables().Editors().CloseOpen(); };
  host.dropShortcuts = [this] { cells_->DropEditShortcuts(); };
  host.restoreShortcuts = [this] { cells_->RestoreEditShortcuts(); };
  host.patternMenu = ui_.PopupRForm;
  renames_ = new RenamePatternCommands(std::move(host), this);
  renames_->LoadPatterns();
  RenamePatternCommands* renames = renames_;
  connect(ui_.PopupR, &QMenu::aboutToShow, renames, &RenamePatternCommands::PopupRPopup);
  // Opened without PopupR (by key or by a test), it is brought up to date too.
  connect(ui_.PopupRForm, &QMenu::aboutToShow, renames, &RenamePatternCommands::PopupRPopup);
  for (const char* name : {"MenuOptionRename", "PopupRFormOption"}) {
    QAction* item = findChild<QAction*>(QLatin1String(name));
    if (!item) continue;
    item->setEnabled(true);
    connect(item, &QAction::triggered, renames, [renames] { renames->OpenFormRename(); });
  }
}

void TFormMain::SetUpListWindow() {
  ListCommandHost host;
  host.window = this;
  host.settingsFolder = session_->SettingsFolder();
  host.catalogue = [this]() -> const Catalogue& { return session_->Data(); };
  host.currentFolder = [this] { return session_->CurrentFolder(); };
  host.filePage = [this] { return ui_.PageControlF->currentIndex(); };
  host.fileList = [this](int page) -> QTableView* { return FileList(page); };
  host.dropShortcuts = [this] { cells_->DropEditShortcuts(); };
  host.restoreShortcuts = [this] { cells_->RestoreEditShortcuts(); };
  host.listFont = [this] { return ui_.DriveComboBox->font(); };
  listWindow_ = new ListWindowCommands(std::move(host), this);
  ListWindowCommands* list = listWindow_;
  QAction* menu = findChild<QAction*>(QStringLiteral("MenuFileListOut"));
  QAction* popup = findChild<QAction*>(QStringLiteral("PopupFListOut"));
  menu->setEnabled(true);
  popup->setEnabled(true);
  connect(menu, &QAction::triggered, list, [list] { list->OpenFormListMain(); });
  connect(popup, &QAction::triggered, list, &ListWindowCommands::PopupFListOutClick);
}

void TFormMain::SetUpOptions() {
  OptionHost host;
  host.window = this;
  host.settingsFolder = session_->SettingsFolder();
  host.fontFamily = [this] { return ui_.DriveComboBox->font().family(); };
  host.showOptions = [this](const AppSettings& options) {
    ui_.MemoListView->setFixedHeight(options.memoSize);
    ApplyFont(QString::fromStdString(options.fontName));
    listWindow_->SetListFont(ui_.DriveComboBox->font());
    // The edit-column colours are read when the cells are painted.
    for (QTableView* view : ui_.listViewT) view->viewport()->update();
    for (QTableView* view : ui_.listViewF) view->viewport()->update();
  };
  options_ = new OptionCommands(std::move(host), this);
  QAction* item = findChild<QAction*>(QStringLiteral("MenuOptionGeneral"));
  item->setEnabled(true);
  connect(item, &QAction::triggered, options_, &OptionCommands::MenuOptionGeneralClick);
}

void TFormMain::SetUpRowDrag() {
  RowDragHost host;
  host.tagTable = [this](int page) { return TagTable(page); };
  host.fileList = [this](int page) -> QTableView* { return FileList(page); };
  host.catalogue = [this]() -> Catalogue& { return session_->Data(); };
  host.busy = [this] { return IsBusy(); };
  host.firstRowOffset = [this] { return FirstRowOffset(); };
  host.rowPitch = [this] { return RowPitch(); };
  rowDrag_ = new TagRowDrag(std::move(host), this);
}

}  // namespace hozanki
