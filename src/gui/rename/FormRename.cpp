#include "gui/common/ReasonText.h"
#include "gui/rename/FormRename.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/rename/PatternEvaluator.h"
#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "gui/app/HelpLocator.h"
#include "gui/rename/RenamePatternCommands.h"
#include "gui/rename/PatternItemList.h"
#include "gui/rename/PatternTree.h"

namespace hozanki {
namespace {

constexpr int kMaxExtent = 20000;  // larger sizes and widths are damage

int ReadInRange(const IniFile& ini, const std::string& key, int fallback, int low) {
  const int value = ini.ReadInteger(TFormRename::kSection, key, fallback);
  return value < low || value > kMaxExtent ? fallback : value;
}

std::string SplitKey(int n) {
  return "Split" + std::to_string(n);
}
std::string ColumnKey(int n, int c) {
  return "Clm" + std::to_string(n) + "-" + std::to_string(c);
}

}  // namespace

TFormRename::TFormRename(RenamePatternCommands& patterns, QWidget* parent, int startTab)
    : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint), patterns_(patterns) {
  setObjectName(QStringLiteral("FormRename"));
  setWindowTitle(QStringLiteral("定型リネーム設定"));
  AddHelpKey(this, kHelpContext);
  setAttribute(Qt::WA_DeleteOnClose);

  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenuRename"));
  // Eight commands side by side in a narrow window.
  bar->setStyleSheet(QStringLiteral("QMenuBar::item { padding: 2px 3px; }"));
  auto item = [this, bar](const char* name, const QString& caption, void (TFormRename::*slot)()) {
    QAction* action = bar->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  MenuSave = item("MenuSave", QStringLiteral("保存"), &TFormRename::MenuSaveClick);
  MenuSave->setEnabled(false);
  MenuReg = item("MenuReg", QStringLiteral("登録"), &TFormRename::MenuRegClick);
  MenuUpd = item("MenuUpd", QStringLiteral("更新"), &TFormRename::MenuUpdClick);
  MenuDel = item("MenuDel", QStringLiteral("消去"), &TFormRename::MenuDelClick);
  auto listCommand = [this, bar](const char* name, const QString& caption,
                                 void (PatternItemList::*command)()) {
    QAction* action = bar->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, [this, command] {
      PanelCheck->clear();
      (tabs_[static_cast<size_t>(CurrentTab())].items->*command)();
    });
    return action;
  };
  MenuItemAdd = listCommand("MenuItemAdd", QStringLiteral("[追加]"), &PatternItemList::AddItem);
  MenuItemCopy = listCommand("MenuItemCopy", QStringLiteral("[複製]"), &PatternItemList::CopySelected);
  MenuItemDel = listCommand("MenuItemDel", QStringLiteral("[削除]"), &PatternItemList::DeleteSelected);
  MenuChk = item("MenuChk", QStringLiteral("[チェック]"), &TFormRename::MenuChkClick);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  PageControl = new QTabWidget(central);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  layout->addWidget(PageControl, 1);
  PanelCheck = new QLabel(central);
  PanelCheck->setObjectName(QStringLiteral("PanelCheck"));
  PanelCheck->setFrameShape(QFrame::StyledPanel);
  PanelCheck->setFrameShadow(QFrame::Sunken);
  PanelCheck->setTextInteractionFlags(Qt::TextSelectableByMouse);
  PanelCheck->setMinimumHeight(PanelCheck->fontMetrics().height() + 8);
  layout->addWidget(PanelCheck);
  setCentralWidget(central);

  for (int n = 0; n < kFormatCount; ++n) BuildTab(static_cast<MediaFormat>(n));
  ReadSettings();
  if (startTab >= 0 && startTab < kFormatCount) PageControl->setCurrentIndex(startTab);
}

void TFormRename::BuildTab(MediaFormat format) {
  const auto n = static_cast<size_t>(format);
  const QString name =
      QString::fromUtf8(FormatName(format).data(), static_cast<qsizetype>(FormatName(format).size()));
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheetF") + name);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  Tab& tab = tabs_[n];
  tab.split = new QSplitter(Qt::Vertical, page);
  tab.split->setObjectName(QStringLiteral("Splitter") + name);
  tab.split->setChildrenCollapsible(false);
  tab.tree = new PatternTree(format, tab.split);
  tab.tree->SetPatterns(patterns_.Patterns()[n]);
  tab.tree->setMinimumHeight(16);  // the stored height may be small (36 by default)
  auto* lower = new QWidget(tab.split);
  auto* lowerLayout = new QVBoxLayout(lower);
  lowerLayout->setContentsMargins(0, 0, 0, 0);
  lowerLayout->setSpacing(2);
  auto* label = new QLabel(QStringLiteral("登録名"), lower);
  tab.name = new QLineEdit(lower);
  tab.name->setObjectName(QStringLiteral("LabeledEdit") + name);
  label->setBuddy(tab.name);
  tab.items = new PatternItemList(format, lower);
  lowerLayout->addWidget(label);
  lowerLayout->addWidget(tab.name);
  lowerLayout->addWidget(tab.items, 1);
  tab.split->setStretchFactor(0, 0);
  tab.split->setStretchFactor(1, 1);
  layout->addWidget(tab.split);
  PageControl->addTab(page, name);

  connect(tab.tree, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { TreeDblClick(item); });
  connect(tab.tree, &PatternTree::Moved, this, &TFormRename::Changed);
  connect(tab.split, &QSplitter::splitterMoved, this,
          [this, n](int position) { splitHeights_[n] = position; });
}

int TFormRename::CurrentTab() const {
  return PageControl->currentIndex();
}

QString TFormRename::PanelText() const {
  return PanelCheck->text();
}

void TFormRename::ReadSettings() {
  const IniFile ini = IniFile::Load(patterns_.SettingsFolder() / kSettingsFileName);
  resize(ReadInRange(ini, "Width", kDefaultWidth, 100), ReadInRange(ini, "Height", kDefaultHeight, 100));
  for (int n = 0; n < kFormatCount; ++n) {
    Tab& tab = tabs_[static_cast<size_t>(n)];
    splitHeights_[static_cast<size_t>(n)] = ReadInRange(ini, SplitKey(n), kDefaultSplit, 0);
    tab.split->setSizes({splitHeights_[static_cast<size_t>(n)], kMaxExtent});
    for (int c = 0; c < 3; ++c)
      tab.items->header()->resizeSection(
          c, ReadInRange(ini, ColumnKey(n, c), kDefaultColumns[static_cast<size_t>(c)], 0));
  }
}

TFormRename::~TFormRename() {
  if (!settingsWritten_) WriteSettings();
}

void TFormRename::WriteSettings() {
  settingsWritten_ = true;
  const std::filesystem::path path = patterns_.SettingsFolder() / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  ini.WriteInteger(kSection, "Height", height());
  ini.WriteInteger(kSection, "Width", width());
  for (int n = 0; n < kFormatCount; ++n) {
    const Tab& tab = tabs_[static_cast<size_t>(n)];
    // The shown tab as it is now; the others as last moved or read.
    const int split =
        tab.split->isVisible() ? tab.split->sizes().value(0) : splitHeights_[static_cast<size_t>(n)];
    ini.WriteInteger(kSection, SplitKey(n), split);
    for (int c = 0; c < 3; ++c)
      ini.WriteInteger(kSection, ColumnKey(n, c), tab.items->header()->sectionSize(c));
  }
  std::string error;
  if (!ini.Save(path, &error)) qWarning("Hozanki: cannot write %s: %s", path.c_str(), error.c_str());
}

void TFormRename::closeEvent(QCloseEvent* event) {
  CommitEditors();
  WriteSettings();
  event->accept();
}

void TFormRename::Changed() {
  MenuSave->setEnabled(true);
}

void TFormRename::ShowMessage(const QString& text) {
  PanelCheck->setText(text);
  PanelCheck->setToolTip(text);
}

void TFormRename::CommitEditors() {
  for (Tab& tab : tabs_) tab.items->CommitEditor();
}

bool TFormRename::CheckInput() {
  const Tab& tab = tabs_[static_cast<size_t>(CurrentTab())];
  if (tab.name->text().isEmpty()) {
    ShowMessage(QStringLiteral("登録名が入力されていません"));
    tab.name->setFocus();
    return false;
  }
  if (tab.items->topLevelItemCount() == 0) {
    ShowMessage(QStringLiteral("定型リネーム情報が未入力です"));
    return false;
  }
  return true;
}

void TFormRename::MenuSaveClick() {
  CommitEditors();
  RenamePatternStore store;
  for (int n = 0; n < kFormatCount; ++n)
    store[static_cast<size_t>(n)] = tabs_[static_cast<size_t>(n)].tree->Patterns();
  std::string error;
  // A file that could not be read at start holds patterns this window never
  // showed: saving would lose them.
  const bool unread = !patterns_.ReadError().empty();
  if (unread) error = UnreadableStoreText(patterns_.ReadError());
  if (unread || !SaveRenamePatterns(patterns_.SettingsFolder() / kRenamePatternFileName, store, &error)) {
    // Nothing is lost: the window stays open with the changes.
    QMessageBox::warning(
        this, windowTitle(),
        QStringLiteral("定型リネーム情報を保存できませんでした。\n%1").arg(ReasonText(error)));
    return;
  }
  patterns_.ReplacePatterns(std::move(store));
  close();
}

void TFormRename::MenuRegClick() {
  CommitEditors();
  PanelCheck->clear();
  PanelCheck->setToolTip(QString());
  if (!CheckInput()) return;
  const Tab& tab = tabs_[static_cast<size_t>(CurrentTab())];
  QTreeWidgetItem* root = tab.tree->MakeRoot(tab.name->text(), tab.items->Items());
  tab.tree->addTopLevelItem(root);
  tab.tree->setCurrentItem(root);
  Changed();
}

void TFormRename::MenuUpdClick() {
  CommitEditors();
  PanelCheck->clear();
  PanelCheck->setToolTip(QString());
  if (!CheckInput()) return;
  const Tab& tab = tabs_[static_cast<size_t>(CurrentTab())];
  QTreeWidgetItem* root = tab.tree->SelectedRoot();
  if (!root) {
    ShowMessage(QStringLiteral("更新する登録名を選択してください"));
    return;
  }
  tab.tree->Fill(root, tab.name->text(), tab.items->Items());
  Changed();
}

void TFormRename::MenuDelClick() {
  CommitEditors();
  const Tab& tab = tabs_[static_cast<size_t>(CurrentTab())];
  QTreeWidgetItem* root = tab.tree->SelectedRoot();
  if (!root) return;
  delete tab.tree->takeTopLevelItem(tab.tree->indexOfTopLevelItem(root));
  Changed();
}

void TFormRename::MenuChkClick() {
  CommitEditors();
  const int n = CurrentTab();
  const auto format = static_cast<MediaFormat>(n);
  const MediaFileEntry* entry = patterns_.FocusedEntry(n);
  if (!entry) {
    const std::string_view name = FormatName(format);
    ShowMessage(QStringLiteral("確かめるファイルがありません。メインウィンドウの %1 のファイル一覧で行を選んでください")
                    .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
    return;
  }
  const std::string result = EvaluatePattern(format, tabs_[static_cast<size_t>(n)].items->Items(), *entry);
  ShowMessage(QString::fromStdString(result));
}

void TFormRename::TreeDblClick(QTreeWidgetItem* item) {
  while (item && item->parent()) item = item->parent();
  if (!item) return;
  const Tab& tab = tabs_[static_cast<size_t>(CurrentTab())];
  const RenamePattern pattern = tab.tree->PatternOf(item);
  tab.name->setText(QString::fromStdString(pattern.title));
  tab.items->SetItems(pattern.items);
}

}  // namespace hozanki
