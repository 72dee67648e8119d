// TFormMain: the feature controllers (`FeatureControllers`). They are made
// here, given what they need of the window through their host structures,
// and the menu items are connected to them.

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>

#include "gui/app/FeatureControllers.h"
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

constexpr const char* kRepairCaption = "文字コード修復(&K)…";

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

// What setting up the controllers needs of the window beyond its public
// face. Copied into the hosts' functions: it holds references to the window's
// parts only.
struct Wiring {
  TFormMain* window;
  MainWindowControls& ui;
  FeatureControllers& features;
  std::function<QTableView*(bool fileList)> activeView;
  std::function<EditTarget(bool fromFileList)> target;
  std::function<void(const QString&)> applyFont;
};

void SetUpCellCommands(const Wiring& w) {
  CellCommandHost host;
  host.window = w.window;
  host.settingsFolder = w.window->Session().SettingsFolder();
  host.catalogue = [w]() -> Catalogue& { return w.window->Session().Data(); };
  host.currentFolder = [w] { return w.window->Session().CurrentFolder(); };
  host.renameMode = [w] { return w.window->IsRenameMode(); };
  host.busy = [w] { return w.window->IsBusy(); };
  host.activeView = w.activeView;
  host.target = w.target;
  host.compoundMenus = {w.ui.PopupTMulti, w.ui.PopupRMulti};
  w.features.cells = new CellCommands(std::move(host), w.window);
  w.features.cells->LoadCompoundEdits();
  CellCommands* cells = w.features.cells;
  QAction* save = w.window->findChild<QAction*>(QStringLiteral("MenuFileSave"));
  save->setEnabled(true);
  QObject::connect(save, &QAction::triggered, w.window, [w] { w.window->Session().Save(); });

  auto hook = [w](const char* name, auto slot) {
    QAction* item = w.window->findChild<QAction*>(QLatin1String(name));
    if (!item) return;
    item->setEnabled(true);
    QObject::connect(item, &QAction::triggered, w.features.cells, slot);
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
  for (QMenu* popup : {w.ui.PopupT, w.ui.PopupR})
    for (QAction* item : popup->findChildren<QAction*>()) {
      if (!item->objectName().contains(QLatin1String("Convert")) || item->menu() || !item->data().isValid())
        continue;
      item->setEnabled(true);
      QObject::connect(item, &QAction::triggered, cells,
              [cells, item] { cells->PopupConvertClick(item->data().toInt()); });
    }
  // Delete is the shortcut of "消去(&B)" on a table with an edit column.
  for (QTableView* table : w.ui.listViewT) {
    auto* clear = new QShortcut(QKeySequence(Qt::Key_Delete), table, nullptr, nullptr, Qt::WidgetShortcut);
    QObject::connect(clear, &QShortcut::activated, w.window, [w, table] {
      if (w.window->PopupOf(table) == w.ui.PopupT && !w.window->IsBusy()) w.features.cells->PopupTClearClick();
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

  // "読みを設定" in the Edit menu and the tag tables' popup.
  QAction* readingEdit = new QAction(QStringLiteral("読みを設定"), w.window);
  readingEdit->setObjectName(QStringLiteral("MenuEditReading"));
  InsertAfter(w.ui.MenuEdit, "MenuEditEditor", readingEdit);
  QObject::connect(readingEdit, &QAction::triggered, cells, [cells] { cells->PopupReadingClick(); });
  // Readings go into tag tables only: not in rename mode.
  QObject::connect(w.ui.MenuEdit, &QMenu::aboutToShow, readingEdit,
                   [w, readingEdit] { readingEdit->setEnabled(!w.window->IsRenameMode()); });
  QAction* readingTags = new QAction(QStringLiteral("読みを設定"), w.window);
  readingTags->setObjectName(QStringLiteral("PopupTReading"));
  InsertAfter(w.ui.PopupT, "PopupTSubstr", readingTags);
  QObject::connect(readingTags, &QAction::triggered, cells, [cells] { cells->PopupReadingClick(); });

  // "文字コード修復…" in the Edit menu and the popups of the file lists and
  // tag tables (PopupF, PopupT) and of the rename-mode lists (PopupR).
  QAction* edit = NewRepairItem(w.window, "MenuEditRepair");
  InsertAfter(w.ui.MenuEdit, "MenuEditEditor", edit);
  QObject::connect(edit, &QAction::triggered, w.window,
          [w] { w.features.cells->RepairClick(w.window->IsRenameMode() || w.activeView(true)->hasFocus()); });
  QAction* tags = NewRepairItem(w.window, "PopupTRepair");
  InsertAfter(w.ui.PopupT, "PopupTSubstr", tags);
  QObject::connect(tags, &QAction::triggered, w.window, [w] { w.features.cells->RepairClick(false); });
  // The file lists' popup, also shown by a tag table without an edit column.
  QAction* files = NewRepairItem(w.window, "PopupFRepair");
  InsertAfter(w.ui.PopupF, "PopupFListOut", files);
  QObject::connect(files, &QAction::triggered, w.window, [w] { w.features.cells->RepairClick(!w.activeView(false)->hasFocus()); });
  QAction* names = NewRepairItem(w.window, "PopupRRepair");
  InsertAfter(w.ui.PopupR, "PopupRSubstr", names);
  QObject::connect(names, &QAction::triggered, w.window, [w] { w.features.cells->RepairClick(true); });
}

void SetUpTools(const Wiring& w) {
  ToolHost host;
  host.window = w.window;
  host.settingsFolder = w.window->Session().SettingsFolder();
  host.catalogue = [w]() -> Catalogue& { return w.window->Session().Data(); };
  host.currentFolder = [w] { return w.window->Session().CurrentFolder(); };
  host.busy = [w] { return w.window->IsBusy(); };
  host.renameMode = [w] { return w.window->IsRenameMode(); };
  host.filePage = [w] { return w.ui.PageControlF->currentIndex(); };
  host.fileList = [w](int page) -> QTableView* { return w.window->FileList(page); };
  host.activeView = w.activeView;
  host.target = w.target;
  host.toolMenu = w.ui.PopupFTool;
  w.features.tools = new ToolCommands(std::move(host), w.window);
  ToolCommands* tools = w.features.tools;
  const std::pair<const char*, void (ToolCommands::*)()> items[] = {
      {"MenuOptionTool", &ToolCommands::MenuOptionToolClick},
      {"PopupFToolSetup", &ToolCommands::MenuOptionToolClick},
      {"PopupFPlay", &ToolCommands::PopupFPlayClick},
      {"MenuEditEditor", &ToolCommands::PopupEditorClick},
      {"PopupTEditor", &ToolCommands::PopupEditorClick},
      {"PopupREditor", &ToolCommands::PopupEditorClick}};
  for (const auto& [name, slot] : items) {
    QAction* item = w.window->findChild<QAction*>(QLatin1String(name));
    item->setEnabled(true);
    QObject::connect(item, &QAction::triggered, tools, slot);
  }
}

void SetUpRenamePatterns(const Wiring& w) {
  RenamePatternHost host;
  host.window = w.window;
  host.settingsFolder = w.window->Session().SettingsFolder();
  host.catalogue = [w]() -> Catalogue& { return w.window->Session().Data(); };
  host.busy = [w] { return w.window->IsBusy(); };
  host.filePage = [w] { return w.ui.PageControlF->currentIndex(); };
  host.fileList = [w](int page) -> QTableView* { return w.window->FileList(page); };
  host.closeEditor = [w] { w.window->Tables().Editors().CloseOpen(); };
  host.dropShortcuts = [w] { w.features.cells->DropEditShortcuts(); };
  host.restoreShortcuts = [w] { w.features.cells->RestoreEditShortcuts(); };
  host.patternMenu = w.ui.PopupRForm;
  w.features.renames = new RenamePatternCommands(std::move(host), w.window);
  w.features.renames->LoadPatterns();
  RenamePatternCommands* renames = w.features.renames;
  QObject::connect(w.ui.PopupR, &QMenu::aboutToShow, renames, &RenamePatternCommands::PopupRPopup);
  // Opened without PopupR (by key or by a test), it is brought up to date too.
  QObject::connect(w.ui.PopupRForm, &QMenu::aboutToShow, renames, &RenamePatternCommands::PopupRPopup);
  for (const char* name : {"MenuOptionRename", "PopupRFormOption"}) {
    QAction* item = w.window->findChild<QAction*>(QLatin1String(name));
    if (!item) continue;
    item->setEnabled(true);
    QObject::connect(item, &QAction::triggered, renames, [renames] { renames->OpenFormRename(); });
  }
}

void SetUpListWindow(const Wiring& w) {
  ListCommandHost host;
  host.window = w.window;
  host.settingsFolder = w.window->Session().SettingsFolder();
  host.catalogue = [w]() -> const Catalogue& { return w.window->Session().Data(); };
  host.currentFolder = [w] { return w.window->Session().CurrentFolder(); };
  host.filePage = [w] { return w.ui.PageControlF->currentIndex(); };
  host.fileList = [w](int page) -> QTableView* { return w.window->FileList(page); };
  host.dropShortcuts = [w] { w.features.cells->DropEditShortcuts(); };
  host.restoreShortcuts = [w] { w.features.cells->RestoreEditShortcuts(); };
  host.listFont = [w] { return w.ui.DriveComboBox->font(); };
  w.features.listWindow = new ListWindowCommands(std::move(host), w.window);
  ListWindowCommands* list = w.features.listWindow;
  QAction* menu = w.window->findChild<QAction*>(QStringLiteral("MenuFileListOut"));
  QAction* popup = w.window->findChild<QAction*>(QStringLiteral("PopupFListOut"));
  menu->setEnabled(true);
  popup->setEnabled(true);
  QObject::connect(menu, &QAction::triggered, list, [list] { list->OpenFormListMain(); });
  QObject::connect(popup, &QAction::triggered, list, &ListWindowCommands::PopupFListOutClick);
}

void SetUpOptions(const Wiring& w) {
  OptionHost host;
  host.window = w.window;
  host.settingsFolder = w.window->Session().SettingsFolder();
  host.fontFamily = [w] { return w.ui.DriveComboBox->font().family(); };
  host.showOptions = [w](const AppSettings& options) {
    w.ui.MemoListView->setFixedHeight(options.memoSize);
    w.applyFont(QString::fromStdString(options.fontName));
    w.features.listWindow->SetListFont(w.ui.DriveComboBox->font());
    // The edit-column colours are read when the cells are painted.
    for (QTableView* view : w.ui.listViewT) view->viewport()->update();
    for (QTableView* view : w.ui.listViewF) view->viewport()->update();
  };
  w.features.options = new OptionCommands(std::move(host), w.window);
  QAction* item = w.window->findChild<QAction*>(QStringLiteral("MenuOptionGeneral"));
  item->setEnabled(true);
  QObject::connect(item, &QAction::triggered, w.features.options, &OptionCommands::MenuOptionGeneralClick);
}

void SetUpRowDrag(const Wiring& w) {
  RowDragHost host;
  host.tagTable = [w](int page) { return w.window->TagTable(page); };
  host.fileList = [w](int page) -> QTableView* { return w.window->FileList(page); };
  host.catalogue = [w]() -> Catalogue& { return w.window->Session().Data(); };
  host.busy = [w] { return w.window->IsBusy(); };
  host.firstRowOffset = [w] { return w.window->FirstRowOffset(); };
  host.rowPitch = [w] { return w.window->RowPitch(); };
  w.features.rowDrag = new TagRowDrag(std::move(host), w.window);
}

}  // namespace

void TFormMain::SetUpFeatures() {
  Wiring wiring{this, ui_, features_,
                [this](bool fileList) { return fileList ? ActiveFileList() : ActiveTagTable(); },
                [this](bool fromFileList) {
                  if (fromFileList)
                    return EditTarget::FileNames(static_cast<MediaFormat>(ui_.PageControlF->currentIndex()));
                  const int page = ui_.PageControlT->currentIndex();
                  return EditTarget::TagColumn(static_cast<TagKind>(page),
                                               editColumn_[static_cast<size_t>(page)] - 1);
                },
                [this](const QString& storedName) { ApplyFont(storedName); }};
  SetUpTools(wiring);
  // The user tools FormCreate read go ahead of the fixed items of PopupFTool.
  features_.tools->AddToolItems();
  SetUpCellCommands(wiring);
  SetUpRenamePatterns(wiring);
  SetUpListWindow(wiring);
  SetUpOptions(wiring);
  SetUpRowDrag(wiring);
}

}  // namespace hozanki
