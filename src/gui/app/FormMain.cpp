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
#include "gui/app/FormAbout.h"
#include "gui/app/HelpLocator.h"
#include "gui/listout/FormListMain.h"
#include "gui/rename/FormRename.h"
#include "gui/app/StatusBarPanels.h"
#include "gui/tagedit/InPlaceEditors.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/NameConflictWatch.h"
#include "gui/catalogue/FileLoadWorker.h"
#include "gui/tagedit/SaveTagWorker.h"
#include "gui/tagedit/TagTableModel.h"

namespace hozanki {
namespace {
const char* const kPopupProperty = "hozankiPopup";
}  // namespace

TFormMain::TFormMain(std::vector<std::filesystem::path> arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(std::move(arguments)), readers_(DefaultMediaReaders()) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QStringLiteral(" - Hozanki -"));
  setMinimumSize(540, 360);
  setAcceptDrops(true);
  editColumn_.fill(-1);
  settingsFolder_ = SettingsFolder(QCoreApplication::applicationFilePath().toStdString());

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
  connect(this, &TFormMain::SaveDone, this, &TFormMain::ContinueAfterSave, Qt::QueuedConnection);
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

  tables_ = new TagTableController(*this);
  FormCreate();
  ConnectEditCommands();
  ConnectTextCommands();
  SetUpRepairCommand();
  SetUpRenameMode();
  SetUpCompoundEdits();
  SetUpRenamePatterns();
  SetUpListOut();
  SetUpOptions();
  SetUpTools();
  SetUpRowDrag();
  SetUpKeyboard();
}

TFormMain::~TFormMain() {
  // A running worker is cancelled and waited for; the models go before the
  // catalogue they observe. The modeless windows go first.
  delete formRename_.data();
  delete formListMain_.data();  // writes its settings
  CloseCompoundWindow();
  delete loader_.data();
  delete reloader_.data();
  delete saveTag_;
  if (cursorOverridden_) QApplication::restoreOverrideCursor();
  delete centralWidget();
  for (FileListModel* model : fileModels_) delete model;
  for (TagTableModel* model : tagModels_) delete model;
  delete nameConflicts_;
}

bool TFormMain::IsRenameMode() const {
  return MenuFileModeR->isChecked();
}

void TFormMain::MenuFileModeClick() {
  SwitchMode(qobject_cast<QAction*>(sender()));
}

void TFormMain::SwitchMode(QAction* item) {
  // The item without a shortcut is the mode already active.
  if (!item || item->shortcut().isEmpty()) return;
  tables_->Editors().CloseOpen();
  item->setChecked(true);
  const bool rename = item == MenuFileModeR;
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
  if (!MenuCancel->isVisible() && syncRequest_ != -1) {
    syncRequest_ = 1;
    HookIdle();
  }
}

void TFormMain::PageControlTChange(int page) {
  {
    const QSignalBlocker blocker(PageControlF);
    PageControlF->setCurrentIndex(FilePageOf(page));
  }
  if (!MenuCancel->isVisible() && syncRequest_ != -1) {
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
    OpenPathList(arguments_);
  else
    OpenFolder(LoadRequest{StartUpFolder(rememberedFolder_, FallbackFolder()), false, std::nullopt});
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
  if (MenuCancel->isVisible() || editorRunning_) {
    event->ignore();
    return;
  }
  if (!CloseQueryStagedEdits(event)) return;
  CloseCompoundWindow();
  FormClose();
  event->accept();
}

}  // namespace hozanki
