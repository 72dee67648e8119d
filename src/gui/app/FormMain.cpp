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
#include "gui/app/FormAbout.h"
#include "gui/app/HelpLocator.h"
#include "gui/listout/ListWindowCommands.h"
#include "gui/rename/RenamePatternCommands.h"
#include "gui/tagedit/CellCommands.h"
#include "gui/tools/ToolCommands.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/app/UnsavedChangesQuestion.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/NameConflictWatch.h"
#include "gui/tagedit/TagTableModel.h"

namespace hozanki {
namespace {
const char* const kPopupProperty = "hozankiPopup";
}  // namespace

TFormMain::TFormMain(std::vector<std::filesystem::path> arguments, QWidget* parent)
    : QMainWindow(parent),
      session_(std::make_unique<FolderSession>(
          SettingsFolder(QCoreApplication::applicationFilePath().toStdString()),
          FolderSessionHost{[this] {
                              if (tables_) tables_->Editors().CloseOpen();
                            },
                            [this] { return AskUnsavedChanges(this); }})),
      catalogue_(session_->Data()),
      settingsFolder_(session_->SettingsFolder()),
      currentFolder_(session_->CurrentFolder()),
      arguments_(std::move(arguments)) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QStringLiteral(" - Hozanki -"));
  setMinimumSize(540, 360);
  setAcceptDrops(true);
  editColumn_.fill(-1);

  BuildLayout();
  BuildMenus();
  for (QTableView* view : listViewF_) SetPopup(view, PopupF);
  for (QTableView* view : listViewT_) SetPopup(view, PopupF);
  StatusBar->SetPanelText(2, QStringLiteral("タグ編集"));

  idleTimer_.setSingleShot(true);
  idleTimer_.setInterval(0);
  connect(&idleTimer_, &QTimer::timeout, this, &TFormMain::ApplicationEventsIdle);
  connect(PageControlF, &QTabWidget::currentChanged, this, &TFormMain::PageControlFChange);
  connect(PageControlT, &QTabWidget::currentChanged, this, &TFormMain::PageControlTChange);
  ConnectSession();
  // cmnListViewFChange / cmnListViewTChange: a selection change asks the idle
  // handler to mirror it, unless a request is already pending or a worker
  // runs (the handlers are detached meanwhile).
  for (QTableView* view : listViewF_)
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
      if (syncRequest_ != 0 || IsBusy()) return;
      syncRequest_ = 1;
      HookIdle();
    });
  for (QTableView* view : listViewT_)
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
      if (syncRequest_ != 0 || IsBusy()) return;
      syncRequest_ = 2;
      HookIdle();
    });

  SetUpListControllers();
  SetUpTools();
  FormCreate();
  SetUpCellCommands();
  SetUpRenamePatterns();
  SetUpListWindow();
  SetUpOptions();
  SetUpRowDrag();
  SetUpKeyboard();
}

TFormMain::~TFormMain() {
  // The modeless windows go first. The members then go in the reverse order
  // of their declaration: the list controllers (with the in-place editors),
  // the models and the name watch before the session (a running worker is
  // cancelled and waited for, then the catalogue goes), all before the
  // widgets.
  renames_->CloseFormRename();
  listWindow_->DeleteWindow();  // writes its settings
  cells_->CloseCompoundWindow();
  if (cursorOverridden_) QApplication::restoreOverrideCursor();
}

void TFormMain::SetUpListControllers() {
  auto action = [this](const char* name) { return findChild<QAction*>(QLatin1String(name)); };
  TagTableHost tables;
  tables.catalogue = &catalogue_;
  tables.views = listViewT_;
  for (size_t k = 0; k < tagModels_.size(); ++k) tables.models[k] = tagModels_[k].get();
  tables.window = this;
  tables.editorWidgets = {EditListView, EditListViewCopy, ComboBoxListView, MemoListView};
  tables.shortcutActions = {action("MenuEditCopy"), action("MenuEditPaste"), action("MenuEditUndo")};
  tables.menus = {MenuFile, MenuEdit, MenuOption, MenuHelp};
  tables.popupT = PopupT;
  tables.fileTabs = PageControlF->tabBar();
  tables.tagTabs = PageControlT->tabBar();
  tables.mode = [this] { return mode_; };
  tables.switchMode = [this](EditMode mode) { SwitchMode(mode); };
  tables.editColumn = [this](int page) { return editColumn_[static_cast<size_t>(page)]; };
  tables.setEditColumn = [this](int page, int column) {
    editColumn_[static_cast<size_t>(page)] = column;
    SetPopup(listViewT_[static_cast<size_t>(page)], column == -1 ? PopupF : PopupT);
  };
  tables.moveSortMark = [this](CatalogueTableModel* model, int column, bool descending, int key) {
    fileLists_->MoveSortMark(model, column, descending, key);
  };
  tables.tagPage = [this] { return PageControlT->currentIndex(); };
  tables.activeFileList = [this] { return ActiveFileList(); };
  tables.activeTagTable = [this] { return ActiveTagTable(); };
  tables_ = std::make_unique<TagTableController>(std::move(tables));

  FileListHost lists;
  lists.catalogue = &catalogue_;
  lists.currentFolder = [this] { return currentFolder_; };
  lists.isBusy = [this] { return IsBusy(); };
  lists.mode = [this] { return mode_; };
  lists.switchMode = [this](EditMode mode) { SwitchMode(mode); };
  lists.editors = [this] { return &tables_->Editors(); };
  lists.filePage = [this] { return PageControlF->currentIndex(); };
  lists.tagPage = [this] { return PageControlT->currentIndex(); };
  lists.popupRenameMenu = [this](const QPoint& at) { PopupR->popup(at); };
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
  lists.nameEditor = EditListView;
  lists.copyBox = EditListViewCopy;
  lists.window = this;
  std::array<FileListModel*, kFormatCount> fileModels{};
  for (size_t f = 0; f < fileModels_.size(); ++f) fileModels[f] = fileModels_[f].get();
  fileLists_ = std::make_unique<FileListController>(listViewF_, fileModels, std::move(lists));

  if (QAction* modeOff = action("PopupTMode")) {
    modeOff->setEnabled(true);
    connect(modeOff, &QAction::triggered, this, [this] { tables_->ModeOff(PageControlT->currentIndex()); });
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
  connect(PageControlF, &QTabWidget::currentChanged, this, [this] { tables_->Editors().CloseOpen(); });
}

void TFormMain::MenuFileModeClick() {
  // Leaving or choosing a mode closes an open editor, its text stored.
  tables_->Editors().CloseOpen();
  SwitchMode(sender() == MenuFileModeR ? EditMode::Rename : EditMode::Tag);
}

void TFormMain::SwitchMode(EditMode mode) {
  if (mode == mode_) return;
  tables_->Editors().CloseOpen();
  mode_ = mode;
  const bool rename = mode == EditMode::Rename;
  // The menu's check marks follow the mode; F5 is on the other mode's item.
  MenuFileModeR->setChecked(rename);
  MenuFileModeT->setChecked(!rename);
  MenuFileModeR->setShortcut(rename ? QKeySequence() : QKeySequence(Qt::Key_F5));
  MenuFileModeT->setShortcut(rename ? QKeySequence(Qt::Key_F5) : QKeySequence());
  if (rename) {
    StatusBar->SetPanelText(2, QStringLiteral("リネーム"));
    for (QTableView* view : listViewF_) SetPopup(view, PopupR);
    for (QTableView* view : listViewT_) SetPopup(view, PopupF);
  } else {
    StatusBar->SetPanelText(2, QStringLiteral("タグ編集"));
    for (QTableView* view : listViewF_) SetPopup(view, PopupF);
    for (int k = 0; k < kTagKindCount; ++k)
      if (editColumn_[static_cast<size_t>(k)] != -1) SetPopup(listViewT_[static_cast<size_t>(k)], PopupT);
    ActiveTagTable()->setFocus();
  }
  ActiveFileList()->viewport()->update();
  ActiveTagTable()->viewport()->update();
}

void TFormMain::PageControlFChange(int page) {
  int tagPage;
  if (page == 0) {
    tagPage = lastMp3TagPage_;
  } else {
    if (FilePageOf(PageControlT->currentIndex()) == 0) lastMp3TagPage_ = PageControlT->currentIndex();
    tagPage = TagPageOf(page);
  }
  {
    const QSignalBlocker blocker(PageControlT);
    PageControlT->setCurrentIndex(tagPage);
  }
  if (!IsBusy() && syncRequest_ != -1) {
    syncRequest_ = 1;
    HookIdle();
  }
}

void TFormMain::PageControlTChange(int page) {
  {
    const QSignalBlocker blocker(PageControlF);
    PageControlF->setCurrentIndex(FilePageOf(page));
  }
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
  const int page = PageControlT->currentIndex();
  std::vector<QTableView*> targets;
  if (request == 1) {
    for (const TagKind kind : SisterTagKinds(page)) targets.push_back(listViewT_[static_cast<size_t>(kind)]);
  } else {
    for (const TagKind kind : SisterTagKinds(page))
      if (static_cast<int>(kind) != page) targets.push_back(listViewT_[static_cast<size_t>(kind)]);
    targets.push_back(ActiveFileList());
  }
  const QModelIndexList rows = source->selectionModel()->selectedRows();
  const int focused = source->selectionModel()->currentIndex().row();
  for (QTableView* target : targets) {
    QItemSelectionModel* selection = target->selectionModel();
    const QSignalBlocker blocker(selection);
    QItemSelection wanted;
    for (const QModelIndex& index : rows) {
      const QModelIndex first = target->model()->index(index.row(), 0);
      wanted.select(first, first);
    }
    selection->select(wanted, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (focused >= 0) {
      const QModelIndex current = target->model()->index(focused, 0);
      if (request == 2) selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
      target->scrollTo(current);
    }
    target->viewport()->update();
  }
  StatusBar->SetPanelText(1, QStringLiteral("%1 / %2").arg(rows.size()).arg(source->model()->rowCount()));
  syncRequest_ = 0;
  if (PopupRForm) PopupRForm->setProperty("hozankiTag", 1);
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
  return listViewF_[static_cast<size_t>(PageControlF->currentIndex())];
}
QTableView* TFormMain::ActiveTagTable() const {
  return listViewT_[static_cast<size_t>(PageControlT->currentIndex())];
}

QMenu* TFormMain::PopupOf(QTableView* view) const {
  return qobject_cast<QMenu*>(view->property(kPopupProperty).value<QObject*>());
}

void TFormMain::SetPopup(QTableView* view, QMenu* popup) {
  view->setProperty(kPopupProperty, QVariant::fromValue<QObject*>(popup));
}

void TFormMain::ListContextMenu(const QPoint& position) {
  auto* view = qobject_cast<QTableView*>(sender());
  if (!view) return;
  QMenu* popup = PopupOf(view);
  if (!popup) return;
  // cmnPopupFPopup / PopupTPopup: mirror the selection at once first.
  if (popup != PopupR && syncRequest_ != -1) {
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

void TFormMain::MenuHelpTopicClick() {
  OpenHelp(this);
}

void TFormMain::HelpContextClick() {
  OpenHelp(this, kHelpContext);
}

void TFormMain::MenuHelpAboutClick() {
  TFormAbout about(this);
  about.exec();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  // FormCloseQuery: never while a worker or the external editor runs.
  if (IsBusy() || tools_->EditorRunning()) {
    event->ignore();
    return;
  }
  if (!CloseQueryStagedEdits(event)) return;
  cells_->CloseCompoundWindow();
  FormClose();
  event->accept();
}

}  // namespace hozanki
