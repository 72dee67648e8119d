// TFormMain: the two modes, the coupling of file pages and tag pages, the
// idle moment, closing, and the hosts of the list controllers and of the
// folder panel.

#include "gui/app/FormMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>

#include "core/catalogue/FolderScan.h"
#include "core/settings/SettingsFolder.h"
#include "gui/app/FileListController.h"
#include "gui/catalogue/RowSelection.h"
#include "gui/listout/ListWindowCommands.h"
#include "gui/rename/RenamePatternCommands.h"
#include "gui/tagedit/CellCommands.h"
#include "gui/tools/ToolCommands.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/app/UnsavedChangesQuestion.h"
#include "gui/catalogue/FolderPanel.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/NameConflictWatch.h"
#include "gui/tagedit/TagTableModel.h"

namespace hozanki {
namespace {
const char* const kPopupProperty = "hozankiPopup";

// The popup menu `view` shows from now on (PopupOf reads it).
void SetPopup(QTableView* view, QMenu* popup) {
  view->setProperty(kPopupProperty, QVariant::fromValue<QObject*>(popup));
}
}  // namespace

TFormMain::TFormMain(std::vector<std::filesystem::path> arguments, QWidget* parent)
    : QMainWindow(parent),
      session_(std::make_unique<FolderSession>(
          SettingsFolder(QCoreApplication::applicationFilePath().toStdString()),
          FolderSessionHost{[this] {
                              if (tables_) tables_->Editors().CloseOpen();
                            },
                            [this] { return AskUnsavedChanges(this); }})),
      arguments_(std::move(arguments)) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QStringLiteral(" - Hozanki -"));
  setMinimumSize(540, 360);
  setAcceptDrops(true);
  editColumn_.fill(-1);

  BuildLayout();
  BuildMenus();
  for (QTableView* view : ui_.listViewF) SetPopup(view, ui_.PopupF);
  for (QTableView* view : ui_.listViewT) SetPopup(view, ui_.PopupF);
  ui_.StatusBar->SetPanelText(2, QStringLiteral("タグ編集"));

  idleTimer_.setSingleShot(true);
  idleTimer_.setInterval(0);
  connect(&idleTimer_, &QTimer::timeout, this, &TFormMain::ApplicationEventsIdle);
  connect(ui_.PageControlF, &QTabWidget::currentChanged, this, &TFormMain::PageControlFChange);
  connect(ui_.PageControlT, &QTabWidget::currentChanged, this, &TFormMain::PageControlTChange);
  FolderPanelHost folders;
  // While the external editor runs, nothing opens (its lines belong here).
  folders.busy = [this] { return IsBusy() || (features_.tools && features_.tools->EditorRunning()); };
  folders.currentFolder = [this] { return session_->CurrentFolder(); };
  folders.afterStagedEdits = [this](std::function<void()> then) { session_->AfterStagedEdits(std::move(then)); };
  folders.openFolder = [this](const LoadRequest& request) { session_->OpenFolder(request); };
  folders.openPathList = [this](const std::vector<std::filesystem::path>& paths) { session_->OpenPathList(paths); };
  folders.showFolderText = [this](const QString& text) { ui_.StatusBar->SetPanelText(0, text); };
  folders.window = this;
  folderPanel_ = new FolderPanel(ui_.DirectoryTreeView, ui_.folderModel, ui_.DriveComboBox, std::move(folders), this);
  ConnectSession();
  // cmnListViewFChange / cmnListViewTChange: a selection change asks the idle
  // handler to mirror it, unless a request is already pending or a worker
  // runs (the handlers are detached meanwhile).
  for (QTableView* view : ui_.listViewF)
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
      if (syncRequest_ != 0 || IsBusy()) return;
      syncRequest_ = 1;
      HookIdle();
    });
  for (QTableView* view : ui_.listViewT)
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
      if (syncRequest_ != 0 || IsBusy()) return;
      syncRequest_ = 2;
      HookIdle();
    });

  SetUpListControllers();
  FormCreate();
  SetUpFeatures();
  SetUpKeyboard();
  connect(ui_.MenuEdit, &QMenu::aboutToShow, this, &TFormMain::UpdateEditorItem);
  UpdateEditorItem();
}

TFormMain::~TFormMain() {
  // The modeless windows go first. The members then go in the reverse order
  // of their declaration: the list controllers (with the in-place editors),
  // the models and the name watch before the session (a running worker is
  // cancelled and waited for, then the catalogue goes), all before the
  // widgets.
  features_.renames->CloseFormRename();
  features_.listWindow->DeleteWindow();  // writes its settings
  features_.cells->CloseCompoundWindow();
  // The controllers that are children of this window (the row drag, the
  // folder panel, ...) filter events of its widgets, some through hosts that
  // call into this window; QWidget's destructor still sends events to those
  // widgets after this window stopped being a TFormMain: unhook them first.
  hide();
  QList<QObject*> filters;
  for (QObject* child : children())
    if (!child->isWidgetType()) filters += child;
  for (QWidget* widget : findChildren<QWidget*>())
    for (QObject* filter : filters) widget->removeEventFilter(filter);
}

void TFormMain::SetUpListControllers() {
  auto action = [this](const char* name) { return findChild<QAction*>(QLatin1String(name)); };
  TagTableHost tables;
  tables.catalogue = &session_->Data();
  tables.views = ui_.listViewT;
  for (size_t k = 0; k < tagModels_.size(); ++k) tables.models[k] = tagModels_[k].get();
  tables.window = this;
  tables.editorWidgets = {ui_.EditListView, ui_.EditListViewCopy, ui_.ComboBoxListView, ui_.MemoListView};
  tables.shortcutActions = {action("MenuEditCopy"), action("MenuEditPaste"), action("MenuEditUndo")};
  tables.menus = {ui_.MenuFile, ui_.MenuEdit, ui_.MenuOption, ui_.MenuHelp};
  tables.popupT = ui_.PopupT;
  tables.fileTabs = ui_.PageControlF->tabBar();
  tables.tagTabs = ui_.PageControlT->tabBar();
  tables.mode = [this] { return mode_; };
  tables.switchMode = [this](EditMode mode) { SwitchMode(mode); };
  tables.editColumn = [this](int page) { return editColumn_[static_cast<size_t>(page)]; };
  tables.setEditColumn = [this](int page, int column) {
    editColumn_[static_cast<size_t>(page)] = column;
    SetPopup(ui_.listViewT[static_cast<size_t>(page)], column == -1 ? ui_.PopupF : ui_.PopupT);
    UpdateEditorItem();
  };
  tables.moveSortMark = [this](CatalogueTableModel* model, int column, bool descending, int key) {
    fileLists_->MoveSortMark(model, column, descending, key);
  };
  tables.tagPage = [this] { return ui_.PageControlT->currentIndex(); };
  tables.activeFileList = [this] { return ActiveFileList(); };
  tables.activeTagTable = [this] { return ActiveTagTable(); };
  tables_ = std::make_unique<TagTableController>(std::move(tables));

  FileListHost lists;
  lists.catalogue = &session_->Data();
  lists.currentFolder = [this] { return session_->CurrentFolder(); };
  lists.isBusy = [this] { return IsBusy(); };
  lists.mode = [this] { return mode_; };
  lists.switchMode = [this](EditMode mode) { SwitchMode(mode); };
  lists.editors = [this] { return &tables_->Editors(); };
  lists.filePage = [this] { return ui_.PageControlF->currentIndex(); };
  lists.tagPage = [this] { return ui_.PageControlT->currentIndex(); };
  lists.popupRenameMenu = [this](const QPoint& at) { ui_.PopupR->popup(at); };
  lists.runPendingSync = [this] {
    if (syncRequest_ == 1 || syncRequest_ == 2) {
      UnhookIdle();
      RunSync(syncRequest_);
    }
  };
  lists.requestSync = [this] {
    syncRequest_ = 1;
    HookIdle();
  };
  lists.nameEditor = ui_.EditListView;
  lists.window = this;
  std::array<FileListModel*, kFormatCount> fileModels{};
  for (size_t f = 0; f < fileModels_.size(); ++f) fileModels[f] = fileModels_[f].get();
  fileLists_ = std::make_unique<FileListController>(ui_.listViewF, fileModels, std::move(lists));

  if (QAction* modeOff = action("PopupTMode")) {
    modeOff->setEnabled(true);
    connect(modeOff, &QAction::triggered, this, [this] { tables_->ModeOff(ui_.PageControlT->currentIndex()); });
  }
  for (const char* name : {"PopupFDelete", "PopupTDelete", "PopupRDelete"})
    if (QAction* item = action(name)) {
      item->setEnabled(true);
      connect(item, &QAction::triggered, fileLists_.get(), &FileListController::ExcludeClick);
    }
  // Shift+Del anywhere in the window (the popups' own shortcuts are only shown).
  auto* exclude = new QAction(this);
  exclude->setObjectName(QStringLiteral("ExcludeShortcut"));
  exclude->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  exclude->setShortcutContext(Qt::WindowShortcut);
  addAction(exclude);
  connect(exclude, &QAction::triggered, fileLists_.get(), &FileListController::ExcludeClick);
  if (QAction* property = action("PopupFProperty")) {
    property->setEnabled(true);
    connect(property, &QAction::triggered, fileLists_.get(), &FileListController::PropertyClick);
  }
  // Showing another file page closes an open editor, its text stored.
  connect(ui_.PageControlF, &QTabWidget::currentChanged, this, [this] { tables_->Editors().CloseOpen(); });
}

void TFormMain::MenuFileModeClick() {
  // Leaving or choosing a mode closes an open editor, its text stored.
  tables_->Editors().CloseOpen();
  SwitchMode(sender() == ui_.MenuFileModeR ? EditMode::Rename : EditMode::Tag);
}

void TFormMain::SwitchMode(EditMode mode) {
  if (mode == mode_) return;
  tables_->Editors().CloseOpen();
  mode_ = mode;
  const bool rename = mode == EditMode::Rename;
  // The menu's check marks follow the mode; F5 is on the other mode's item.
  ui_.MenuFileModeR->setChecked(rename);
  ui_.MenuFileModeT->setChecked(!rename);
  ui_.MenuFileModeR->setShortcut(rename ? QKeySequence() : QKeySequence(Qt::Key_F5));
  ui_.MenuFileModeT->setShortcut(rename ? QKeySequence(Qt::Key_F5) : QKeySequence());
  if (rename) {
    ui_.StatusBar->SetPanelText(2, QStringLiteral("リネーム"));
    for (QTableView* view : ui_.listViewF) SetPopup(view, ui_.PopupR);
    for (QTableView* view : ui_.listViewT) SetPopup(view, ui_.PopupF);
  } else {
    ui_.StatusBar->SetPanelText(2, QStringLiteral("タグ編集"));
    for (QTableView* view : ui_.listViewF) SetPopup(view, ui_.PopupF);
    for (int k = 0; k < kTagKindCount; ++k)
      if (editColumn_[static_cast<size_t>(k)] != -1) SetPopup(ui_.listViewT[static_cast<size_t>(k)], ui_.PopupT);
    ActiveTagTable()->setFocus();
  }
  ActiveFileList()->viewport()->update();
  ActiveTagTable()->viewport()->update();
  UpdateEditorItem();
}

void TFormMain::PageControlFChange(int page) {
  int tagPage;
  if (page == 0) {
    tagPage = lastMp3TagPage_;
  } else {
    if (FilePageOf(ui_.PageControlT->currentIndex()) == 0) lastMp3TagPage_ = ui_.PageControlT->currentIndex();
    tagPage = TagPageOf(page);
  }
  {
    const QSignalBlocker blocker(ui_.PageControlT);
    ui_.PageControlT->setCurrentIndex(tagPage);
  }
  UpdateEditorItem();
  if (!IsBusy() && syncRequest_ != -1) {
    syncRequest_ = 1;
    HookIdle();
  }
}

void TFormMain::PageControlTChange(int page) {
  {
    const QSignalBlocker blocker(ui_.PageControlF);
    ui_.PageControlF->setCurrentIndex(FilePageOf(page));
  }
  UpdateEditorItem();
  if (!IsBusy() && syncRequest_ != -1) {
    syncRequest_ = 2;
    HookIdle();
  }
}

void TFormMain::HookIdle() {
  idleTimer_.start();
}
void TFormMain::UnhookIdle() {
  idleTimer_.stop();
}

void TFormMain::ApplicationEventsIdle() {
  const int request = syncRequest_;
  UnhookIdle();
  if (request == -1) {
    syncRequest_ = 0;
    RunStartAction();
    return;
  }
  if (request == 1 || request == 2) RunSync(request);
}

void TFormMain::RunSync(int request) {
  QTableView* source = request == 1 ? ActiveFileList() : ActiveTagTable();
  const int page = ui_.PageControlT->currentIndex();
  std::vector<QTableView*> targets;
  if (request == 1) {
    for (const TagKind kind : SisterTagKinds(page)) targets.push_back(ui_.listViewT[static_cast<size_t>(kind)]);
  } else {
    for (const TagKind kind : SisterTagKinds(page))
      if (static_cast<int>(kind) != page) targets.push_back(ui_.listViewT[static_cast<size_t>(kind)]);
    targets.push_back(ActiveFileList());
  }
  const std::vector<int> rows = SelectedRowList(source->selectionModel());
  const int focused = source->selectionModel()->currentIndex().row();
  for (QTableView* target : targets) {
    QItemSelectionModel* selection = target->selectionModel();
    const QSignalBlocker blocker(selection);
    selection->select(RowRanges(target->model(), rows),
                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (focused >= 0) {
      const QModelIndex current = target->model()->index(focused, 0);
      if (request == 2) selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
      target->scrollTo(current);
    }
    target->viewport()->update();
  }
  ui_.StatusBar->SetPanelText(
      1, QStringLiteral("%1 / %2").arg(static_cast<qsizetype>(rows.size())).arg(source->model()->rowCount()));
  syncRequest_ = 0;
  if (features_.renames) features_.renames->MarkPatternMenuStale();
}

void TFormMain::RunStartAction() {
  // The command line's paths, or the remembered folder (the home folder
  // when it is gone). A path list handed over before this moment is newer.
  if (IsBusy()) return;
  if (!arguments_.empty())
    session_->OpenPathList(arguments_);
  else
    session_->OpenFolder(
        LoadRequest{StartUpFolder(session_->RememberedFolder(), FallbackFolder()), false, std::nullopt});
}

QTableView* TFormMain::ActiveFileList() const {
  return ui_.listViewF[static_cast<size_t>(ui_.PageControlF->currentIndex())];
}
QTableView* TFormMain::ActiveTagTable() const {
  return ui_.listViewT[static_cast<size_t>(ui_.PageControlT->currentIndex())];
}

QMenu* TFormMain::PopupOf(QTableView* view) const {
  return qobject_cast<QMenu*>(view->property(kPopupProperty).value<QObject*>());
}

void TFormMain::ListContextMenu(const QPoint& position) {
  auto* view = qobject_cast<QTableView*>(sender());
  if (!view) return;
  QMenu* popup = PopupOf(view);
  if (!popup) return;
  // cmnPopupFPopup / PopupTPopup: mirror the selection at once first.
  if (popup != ui_.PopupR && syncRequest_ != -1) {
    UnhookIdle();
    RunSync(ActiveFileList()->hasFocus() ? 1 : 2);
  }
  popup->popup(view->viewport()->mapToGlobal(position));
}

void TFormMain::MenuEditSelectAllClick() {
  QTableView* list = ActiveFileList();
  list->selectAll();
  list->viewport()->update();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  // FormCloseQuery: never while a worker or the external editor runs.
  if (IsBusy() || features_.tools->EditorRunning()) {
    event->ignore();
    return;
  }
  if (!CloseQueryStagedEdits(event)) return;
  features_.cells->CloseCompoundWindow();
  FormClose();
  event->accept();
}

}  // namespace hozanki
