#include "gui/listout/FormListMain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/listout/StarterTemplates.h"
#include "core/settings/DataFileRecovery.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "gui/app/HelpLocator.h"
#include "gui/catalogue/ListViewSetup.h"
#include "gui/listout/PickedFileModel.h"
#include "gui/listout/PickedFileView.h"
#include "gui/listout/TemplateLibraryTree.h"
#include "gui/listout/TemplateRowEditor.h"

namespace hozanki {
namespace {

namespace keys = settings::list;

constexpr int kMaxExtent = 20000;  // larger sizes and widths are damage

int ReadExtent(const IniFile& ini, std::string_view key, int fallback, int low) {
  const int value = ini.ReadInteger(keys::kSection, key, fallback);
  return value < low || value > kMaxExtent ? fallback : value;
}

std::string Key(std::string_view prefix, int n) {
  return std::string(prefix) + std::to_string(n);
}

// The nine panels: "トータル", "件数", count, "ｻｲｽﾞ", size, "時間", h:mm:ss,
// seconds, "秒".
constexpr const char* kPanelTexts[TFormListMain::kStatusPanels] = {"トータル", "件数",    "0", "ｻｲｽﾞ", "0",
                                                                   "時間",     "0:00:00", "0", "秒"};
constexpr int kPanelWidths[TFormListMain::kStatusPanels] = {60, 40, 60, 40, 110, 40, 80, 70, 30};

}  // namespace

std::optional<QPoint> PositionBeside(const QRect& mainFrame, const QSize& size, const QRect& room) {
  if (size.width() > room.width() || size.height() > room.height()) return std::nullopt;
  const int top = std::clamp(mainFrame.top(), room.top(), room.bottom() + 1 - size.height());
  if (mainFrame.right() + 1 + size.width() <= room.right() + 1) return QPoint(mainFrame.right() + 1, top);
  if (mainFrame.left() - size.width() >= room.left()) return QPoint(mainFrame.left() - size.width(), top);
  return std::nullopt;
}

ListWindowDialogs StandardListWindowDialogs() {
  ListWindowDialogs dialogs;
  dialogs.saveFile = [](QWidget* parent, const QString& title, const QString& start, const QString& filter,
                        const QString& suffix) {
    QFileDialog dialog(parent, title, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
  };
  dialogs.openFile = [](QWidget* parent, const QString& title, const QString& start, const QString& filter,
                        const QString& selectedFilter) {
    QFileDialog dialog(parent, title, start, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectNameFilter(selectedFilter);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
  };
  dialogs.folder = [](QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start);
  };
  return dialogs;
}

TFormListMain::TFormListMain(ListWindowHost host, QWidget* parent)
    : QMainWindow(parent, Qt::Window),
      host_(std::move(host)),
      dialogs_(StandardListWindowDialogs()),
      picked_(new PickedFiles(this)) {
  setObjectName(QStringLiteral("FormListMain"));
  setWindowTitle(QStringLiteral(" - Hozanki -  リスト出力"));
  setMinimumSize(540, 360);
  BuildLayout();
  BuildMenu();
  connect(picked_, &PickedFiles::TotalsChanged, this, &TFormListMain::ShowTotals);
  LoadLibrary();
  ShowLibrary();
  ReadSettings();
  PageControlChange(PageControl->currentIndex());

  // F1: the help page of the list window.
  auto* help = new QAction(this);
  help->setObjectName(QStringLiteral("HelpContext"));
  help->setShortcut(QKeySequence(Qt::Key_F1));
  help->setShortcutContext(Qt::WindowShortcut);
  addAction(help);
  connect(help, &QAction::triggered, this, [this] { OpenHelp(this, kHelpContext); });
}

void TFormListMain::LoadLibrary() {
  const std::filesystem::path path = TemplateFilePath();
  std::error_code error;
  const bool firstUse =
      !std::filesystem::exists(path, error) && !std::filesystem::exists(RecoveryCopyOf(path), error);
  library_.Load(path);
  // Before any template file exists, a few templates to start from. They
  // are no change of the user's: "保存" stays off (a first start writes
  // nothing) until the library is changed, and then writes them too.
  if (firstUse) library_.Offer(StarterTemplates());
}

TFormListMain::~TFormListMain() {
  WriteSettings();
}

void TFormListMain::BuildLayout() {
  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  PageControl->setTabPosition(QTabWidget::South);
  PageControl->addTab(BuildListupPage(), QStringLiteral("リストアップ"));
  PageControl->addTab(BuildListFormPage(), QStringLiteral("定型リスト"));
  PageControl->addTab(BuildPreviewPage(), QStringLiteral("プレビュー"));
  setCentralWidget(PageControl);
  connect(PageControl, &QTabWidget::currentChanged, this, &TFormListMain::PageControlChange);
}

QWidget* TFormListMain::BuildListupPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheetListup"));
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  SplitterListup = new QSplitter(Qt::Vertical, page);
  SplitterListup->setObjectName(QStringLiteral("SplitterListup"));
  SplitterListup->setChildrenCollapsible(false);
  auto* upper = new QWidget(SplitterListup);
  auto* upperLayout = new QVBoxLayout(upper);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  upperLayout->setSpacing(0);
  ListViewF = new PickedFileView(upper);
  ListViewF->setObjectName(QStringLiteral("ListViewF"));
  ListViewF->setModel(picked_->FileModel());
  ListViewT = new PickedFileView(SplitterListup);
  ListViewT->setObjectName(QStringLiteral("ListViewT"));
  ListViewT->setModel(picked_->TagModel());
  for (PickedFileView* view : {ListViewF, ListViewT}) {
    if (host_.listFont != QFont()) view->setFont(host_.listFont);
    SetUpListView(view, 0);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    view->horizontalHeader()->resizeSection(0, 0);
    view->setColumnHidden(0, true);
  }
  ListViewF->SetPartner(ListViewT);
  ListViewT->SetPartner(ListViewF);
  upperLayout->addWidget(ListViewF, 1);

  StatusBar = new QWidget(upper);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  if (host_.listFont != QFont()) StatusBar->setFont(host_.listFont);
  auto* statusLayout = new QHBoxLayout(StatusBar);
  statusLayout->setContentsMargins(0, 1, 0, 1);
  statusLayout->setSpacing(2);
  for (int i = 0; i < kStatusPanels; ++i) {
    auto* panel = new QLabel(QString::fromUtf8(kPanelTexts[i]), StatusBar);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setMinimumWidth(kPanelWidths[i]);
    const bool value = i == 2 || i == 4 || i == 6 || i == 7;
    panel->setAlignment((value ? Qt::AlignRight : Qt::AlignHCenter) | Qt::AlignVCenter);
    panels_[static_cast<size_t>(i)] = panel;
    statusLayout->addWidget(panel);
  }
  statusLayout->addStretch(1);
  upperLayout->addWidget(StatusBar);
  SplitterListup->addWidget(upper);
  SplitterListup->addWidget(ListViewT);
  SplitterListup->setStretchFactor(1, 1);
  layout->addWidget(SplitterListup);

  for (PickedFileView* view : {ListViewF, ListViewT})
    connect(view, &PickedFileView::RowsDropped, this, &TFormListMain::MovePicked);
  connect(ListViewF->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { SelectionChanged(kSyncFileList); });
  connect(ListViewT->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { SelectionChanged(kSyncTagList); });
  return page;
}

QWidget* TFormListMain::BuildListFormPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheetListForm"));
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  SplitterListForm = new QSplitter(Qt::Horizontal, page);
  SplitterListForm->setObjectName(QStringLiteral("SplitterListForm"));
  SplitterListForm->setChildrenCollapsible(false);
  auto* left = new QWidget(SplitterListForm);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->setSpacing(2);
  auto* label = new QLabel(QStringLiteral(" 登録名"), left);
  leftLayout->addWidget(label);
  auto* fields = new QHBoxLayout;
  LabeledEdit = new QLineEdit(left);
  LabeledEdit->setObjectName(QStringLiteral("LabeledEdit"));
  label->setBuddy(LabeledEdit);
  EditExt = new QLineEdit(left);
  EditExt->setObjectName(QStringLiteral("EditExt"));
  EditExt->setMaximumWidth(50);
  EditExt->setToolTip(QStringLiteral("拡張子"));
  fields->addWidget(LabeledEdit, 1);
  fields->addWidget(EditExt);
  leftLayout->addLayout(fields);
  TreeView = new TemplateLibraryTree(left);
  leftLayout->addWidget(TreeView, 1);
  ListView = new TemplateRowEditor(SplitterListForm);
  SplitterListForm->addWidget(left);
  SplitterListForm->addWidget(ListView);
  SplitterListForm->setStretchFactor(1, 1);
  layout->addWidget(SplitterListForm);
  connect(TreeView, &TemplateLibraryTree::OpenRequested, this, &TFormListMain::TreeViewDblClick);
  connect(TreeView, &TemplateLibraryTree::MoveRequested, this, &TFormListMain::LibraryMoveRequested);
  return page;
}

QWidget* TFormListMain::BuildPreviewPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheetListPreview"));
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  auto* row = new QHBoxLayout;
  CheckBoxPath = new QCheckBox(QStringLiteral("基準パス"), page);
  CheckBoxPath->setObjectName(QStringLiteral("CheckBoxPath"));
  EditPath = new QLineEdit(page);
  EditPath->setObjectName(QStringLiteral("EditPath"));
  ButtonPath = new QPushButton(QStringLiteral("参照"), page);
  ButtonPath->setObjectName(QStringLiteral("ButtonPath"));
  auto* extLabel = new QLabel(QStringLiteral("拡張子"), page);
  ComboBoxExt = new QComboBox(page);
  ComboBoxExt->setObjectName(QStringLiteral("ComboBoxExt"));
  ComboBoxExt->setEditable(true);
  ComboBoxExt->setInsertPolicy(QComboBox::NoInsert);
  ComboBoxExt->setMinimumWidth(70);
  extLabel->setBuddy(ComboBoxExt);
  CheckBoxUnicode = new QCheckBox(QStringLiteral("Unicode"), page);
  CheckBoxUnicode->setObjectName(QStringLiteral("CheckBoxUnicode"));
  ComboBoxUnicode = new QComboBox(page);
  ComboBoxUnicode->setObjectName(QStringLiteral("ComboBoxUnicode"));
  ComboBoxUnicode->addItems({QStringLiteral("UTF-16"), QStringLiteral("UTF-8")});
  ComboBoxUnicode->setToolTip(QStringLiteral("Unicode の形式"));
  ComboBoxUnicode->setEnabled(false);
  connect(CheckBoxUnicode, &QCheckBox::toggled, ComboBoxUnicode, &QWidget::setEnabled);
  row->addWidget(CheckBoxPath);
  row->addWidget(EditPath, 1);
  row->addWidget(ButtonPath);
  row->addSpacing(8);
  row->addWidget(extLabel);
  row->addWidget(ComboBoxExt);
  row->addWidget(CheckBoxUnicode);
  row->addWidget(ComboBoxUnicode);
  layout->addLayout(row);
  RichEditPreview = new QPlainTextEdit(page);
  RichEditPreview->setObjectName(QStringLiteral("RichEditPreview"));
  RichEditPreview->setLineWrapMode(QPlainTextEdit::NoWrap);
  RichEditPreview->setTabChangesFocus(false);
  RichEditPreview->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RichEditPreview->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  RichEditPreview->setUndoRedoEnabled(false);
  layout->addWidget(RichEditPreview, 1);
  connect(CheckBoxPath, &QCheckBox::clicked, this, &TFormListMain::CheckBoxPathClick);
  connect(ButtonPath, &QPushButton::clicked, this, &TFormListMain::ButtonPathClick);
  return page;
}

void TFormListMain::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenuList"));
  auto item = [this, bar](const char* name, const QString& caption, void (TFormListMain::*slot)()) {
    QAction* action = bar->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  MenuListSelect =
      item("MenuListSelect", QStringLiteral("ファイル選択"), &TFormListMain::MenuListSelectClick);
  MenuListOmit = item("MenuListOmit", QStringLiteral("除外"), &TFormListMain::MenuListOmitClick);
  MenuListFile = bar->addMenu(QStringLiteral("ファイル"));
  MenuListFile->setObjectName(QStringLiteral("MenuListFile"));
  MenuListFileImport = MenuListFile->addAction(QStringLiteral("インポート"));
  MenuListFileImport->setObjectName(QStringLiteral("MenuListFileImport"));
  connect(MenuListFileImport, &QAction::triggered, this, &TFormListMain::MenuListFileImportClick);
  MenuListFileExport = MenuListFile->addAction(QStringLiteral("エクスポート"));
  MenuListFileExport->setObjectName(QStringLiteral("MenuListFileExport"));
  connect(MenuListFileExport, &QAction::triggered, this, &TFormListMain::MenuListFileExportClick);
  MenuListSave = item("MenuListSave", QStringLiteral("保存"), &TFormListMain::MenuListSaveClick);
  MenuListReg = item("MenuListReg", QStringLiteral("登録"), &TFormListMain::MenuListRegClick);
  MenuListUpd = item("MenuListUpd", QStringLiteral("更新"), &TFormListMain::MenuListUpdClick);
  MenuListDel = item("MenuListDel", QStringLiteral("消去"), &TFormListMain::MenuListDelClick);
  MenuListItemAdd = item("MenuListItemAdd", QStringLiteral("[追加]"), &TFormListMain::MenuListItemAddClick);
  MenuListItemCopy =
      item("MenuListItemCopy", QStringLiteral("[複製]"), &TFormListMain::MenuListItemCopyClick);
  MenuListItemDel = item("MenuListItemDel", QStringLiteral("[削除]"), &TFormListMain::MenuListItemDelClick);
  MenuListPreview =
      item("MenuListPreview", QStringLiteral("プレビュー"), &TFormListMain::MenuListPreviewClick);
  MenuListOut = item("MenuListOut", QStringLiteral("リスト出力"), &TFormListMain::MenuListOutClick);
  MenuListClear = item("MenuListClear", QStringLiteral("クリア"), &TFormListMain::MenuListClearClick);
  MenuListSave->setEnabled(library_.Dirty());
}

void TFormListMain::ShowPage(int page) {
  PageControl->setCurrentIndex(page);
  PageControlChange(page);
}

void TFormListMain::PageControlChange(int page) {
  ListView->CommitEditor();
  MenuListSelect->setVisible(page == kListupPage);
  MenuListOmit->setVisible(page == kListupPage);
  const bool form = page == kListFormPage;
  MenuListFile->menuAction()->setVisible(form);
  for (QAction* a : {MenuListSave, MenuListReg, MenuListUpd, MenuListDel, MenuListItemAdd, MenuListItemCopy,
                     MenuListItemDel})
    a->setVisible(form);
  MenuListOut->setVisible(page == kPreviewPage);
}

QString TFormListMain::StatusPanelText(int panel) const {
  return panel >= 0 && panel < kStatusPanels ? panels_[static_cast<size_t>(panel)]->text() : QString();
}

void TFormListMain::ShowTotals() {
  const ListTotals& totals = picked_->Totals();
  panels_[2]->setText(QString::fromStdString(totals.count));
  panels_[4]->setText(QString::fromStdString(totals.size));
  panels_[6]->setText(QString::fromStdString(totals.time));
  panels_[7]->setText(QString::fromStdString(totals.seconds));
}

void TFormListMain::Warn(const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("ListMessage"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  const QRect frame = frameGeometry();
  QPoint at(frame.left() + frame.width() / 2 - 120, frame.top() + frame.height() / 2 - 60);
  // A long message stays on the screen.
  if (QScreen* screen = this->screen()) {
    const QRect room = screen->availableGeometry();
    const QSize size = box->sizeHint();
    at.setX(std::max(room.left(), std::min(at.x(), room.right() - size.width())));
    at.setY(std::max(room.top(), std::min(at.y(), room.bottom() - size.height())));
  }
  box->move(at);
  box->open();
}

void TFormListMain::showEvent(QShowEvent* event) {
  if (placeBeside_ && !event->spontaneous()) {
    placeBeside_ = false;
    // Beside the main window, so that its file list stays in view for
    // "ファイル選択"; its frame is taken to be as thick as the main window's.
    if (const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
        main && main->isVisible()) {
      const QRect mainFrame = main->frameGeometry();
      const QSize frame = size() + (main->frameGeometry().size() - main->size());
      if (QScreen* screen = main->screen())
        if (const std::optional<QPoint> at = PositionBeside(mainFrame, frame, screen->availableGeometry()))
          move(*at);
    }
  }
  QMainWindow::showEvent(event);
  if (event->spontaneous() || shortcutsTaken_) return;
  shortcutsTaken_ = true;
  if (host_.dropShortcuts) host_.dropShortcuts();
}

void TFormListMain::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  if (event->spontaneous() || !shortcutsTaken_) return;
  ListView->CommitEditor();
  shortcutsTaken_ = false;
  if (host_.restoreShortcuts) host_.restoreShortcuts();
}

void TFormListMain::ReadSettings() {
  const IniFile ini = IniFile::Load(host_.settingsFolder / kSettingsFileName);
  const int storedWidth = ReadExtent(ini, keys::kWidth, keys::kWidthDefault, 1);
  const int storedHeight = ReadExtent(ini, keys::kHeight, keys::kHeightDefault, 1);
  QPoint at(ini.ReadInteger(keys::kSection, keys::kLeft, keys::kLeftDefault),
            ini.ReadInteger(keys::kSection, keys::kTop, keys::kTopDefault));
  placeBeside_ = !ini.HasKey(keys::kSection, keys::kLeft) || !ini.HasKey(keys::kSection, keys::kTop);
  // A position off every screen (a screen that is gone) falls back.
  if (!QGuiApplication::screenAt(QRect(at, QSize(storedWidth, storedHeight)).center())) {
    at = QPoint(keys::kLeftDefault, keys::kTopDefault);
    placeBeside_ = true;
  }
  move(at);
  resize(std::max(storedWidth, minimumWidth()), std::max(storedHeight, minimumHeight()));
  for (int n = 1; n <= 13; ++n)
    ListViewF->horizontalHeader()->resizeSection(
        n, ReadExtent(ini, Key(keys::kFileColumn, n), keys::kFileColumnDefaults[n - 1], 0));
  for (int n = 1; n <= kPickedTagColumns; ++n)
    ListViewT->horizontalHeader()->resizeSection(
        n, ReadExtent(ini, Key(keys::kTagColumn, n), keys::kTagColumnDefaults[n - 1], 0));
  split1_ = ReadExtent(ini, keys::kSplit1, keys::kSplit1Default, 0);
  SplitterListup->setSizes({split1_, std::max(1, height() - split1_)});
  split2_ = ReadExtent(ini, keys::kSplit2, keys::kSplit2Default, 0);
  SplitterListForm->setSizes({split2_, std::max(1, width() - split2_)});
  // A page never shown keeps the stored extent.
  connect(SplitterListup, &QSplitter::splitterMoved, this, [this](int at) { split1_ = at; });
  connect(SplitterListForm, &QSplitter::splitterMoved, this, [this](int at) { split2_ = at; });
  for (int n = 1; n <= 3; ++n)
    ListView->header()->resizeSection(
        n, ReadExtent(ini, Key(keys::kRowColumn, n), keys::kRowColumnDefaults[n - 1], 0));
  EditPath->setText(QString::fromStdString(ini.ReadString(keys::kSection, keys::kPathText)));
  CheckBoxPath->setChecked(ini.ReadBool(keys::kSection, keys::kPath, false));
  EditPath->setEnabled(CheckBoxPath->isChecked());
  ButtonPath->setEnabled(CheckBoxPath->isChecked());
  const QString history =
      QString::fromStdString(ini.ReadString(keys::kSection, keys::kExt, keys::kExtDefault));
  for (const QString& ext : history.split(QStringLiteral("\\n"), Qt::SkipEmptyParts))
    ComboBoxExt->addItem(ext);
  ComboBoxExt->setEditText(QString::fromStdString(ini.ReadString(keys::kSection, keys::kExtText)));
  CheckBoxUnicode->setChecked(ini.ReadBool(keys::kSection, keys::kUnicode, false));
  const int form =
      ComboBoxUnicode->findText(QString::fromStdString(ini.ReadString(keys::kSection, keys::kUnicodeForm)));
  ComboBoxUnicode->setCurrentIndex(std::max(form, 0));
}

void TFormListMain::WriteSettings() const {
  const std::filesystem::path path = host_.settingsFolder / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  const QRect frame(pos(), size());
  ini.WriteInteger(keys::kSection, keys::kTop, frame.top());
  ini.WriteInteger(keys::kSection, keys::kLeft, frame.left());
  ini.WriteInteger(keys::kSection, keys::kHeight, frame.height());
  ini.WriteInteger(keys::kSection, keys::kWidth, frame.width());
  for (int n = 1; n <= 13; ++n)
    ini.WriteInteger(keys::kSection, Key(keys::kFileColumn, n),
                     ListViewF->horizontalHeader()->sectionSize(n));
  ini.WriteInteger(keys::kSection, keys::kSplit1, split1_);
  for (int n = 1; n <= kPickedTagColumns; ++n)
    ini.WriteInteger(keys::kSection, Key(keys::kTagColumn, n), ListViewT->horizontalHeader()->sectionSize(n));
  ini.WriteInteger(keys::kSection, keys::kSplit2, split2_);
  for (int n = 1; n <= 3; ++n)
    ini.WriteInteger(keys::kSection, Key(keys::kRowColumn, n), ListView->header()->sectionSize(n));
  ini.WriteString(keys::kSection, keys::kPathText, EditPath->text().toStdString());
  ini.WriteBool(keys::kSection, keys::kPath, CheckBoxPath->isChecked());
  QStringList history;
  for (int i = 0; i < ComboBoxExt->count(); ++i) history << ComboBoxExt->itemText(i);
  ini.WriteString(keys::kSection, keys::kExt, history.join(QStringLiteral("\\n")).toStdString());
  ini.WriteString(keys::kSection, keys::kExtText, ComboBoxExt->currentText().toStdString());
  ini.WriteBool(keys::kSection, keys::kUnicode, CheckBoxUnicode->isChecked());
  ini.WriteString(keys::kSection, keys::kUnicodeForm, ComboBoxUnicode->currentText().toStdString());
  std::string error;
  if (!ini.Save(path, &error)) qWarning("Hozanki: cannot write %s: %s", path.c_str(), error.c_str());
}

void TFormListMain::SetListFont(const QFont& font) {
  host_.listFont = font;
  for (PickedFileView* view : {ListViewF, ListViewT}) {
    view->setFont(font);
    view->verticalHeader()->setDefaultSectionSize(RowHeightFor(view));
  }
  StatusBar->setFont(font);
  for (QWidget* panel : StatusBar->findChildren<QWidget*>()) panel->setFont(font);
}

}  // namespace hozanki
