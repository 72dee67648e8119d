#include "gui/common/ReasonText.h"
#include "gui/text/FormMulti.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QVBoxLayout>
#include <utility>

#include "core/settings/IniFile.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/CompoundFile.h"
#include "gui/app/HelpLocator.h"
#include "gui/text/CompoundStepList.h"
#include "gui/text/CompoundTree.h"

namespace hozanki {
namespace {

namespace keys = settings::multi;

constexpr int kMaxExtent = 20000;  // larger sizes are damage

int ReadExtent(const IniFile& ini, std::string_view key, int fallback, int low) {
  const int value = ini.ReadInteger(keys::kSection, key, fallback);
  return value < low || value > kMaxExtent ? fallback : value;
}

std::string ColumnKey(int column) {
  return std::string(keys::kColumn) + std::to_string(column);
}

}  // namespace

TFormMulti::TFormMulti(const std::vector<CompoundEdit>& store, std::filesystem::path settingsFolder,
                       SaveHandler save, CheckSource check, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint),
      settingsFolder_(std::move(settingsFolder)),
      save_(std::move(save)),
      check_(std::move(check)) {
  setObjectName(QStringLiteral("FormMulti"));
  setWindowTitle(QStringLiteral("複合編集設定"));
  AddHelpKey(this, kHelpContext);
  setAttribute(Qt::WA_DeleteOnClose);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  MainMenuMulti = new QMenuBar(this);
  MainMenuMulti->setObjectName(QStringLiteral("MainMenuMulti"));
  layout->setMenuBar(MainMenuMulti);

  SplitterMulti = new QSplitter(Qt::Vertical, this);
  SplitterMulti->setObjectName(QStringLiteral("SplitterMulti"));
  SplitterMulti->setChildrenCollapsible(false);
  TreeViewMulti = new CompoundTree(SplitterMulti);
  TreeViewMulti->setMinimumHeight(20);
  auto* lower = new QWidget(SplitterMulti);
  auto* lowerLayout = new QVBoxLayout(lower);
  lowerLayout->setContentsMargins(0, 0, 0, 0);
  lowerLayout->setSpacing(2);
  auto* nameRow = new QHBoxLayout;
  auto* nameLabel = new QLabel(QStringLiteral("登録名"), lower);
  LabeledEditMulti = new QLineEdit(lower);
  LabeledEditMulti->setObjectName(QStringLiteral("LabeledEditMulti"));
  nameLabel->setBuddy(LabeledEditMulti);
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(LabeledEditMulti, 1);
  lowerLayout->addLayout(nameRow);
  ListViewMulti = new CompoundStepList(lower);
  lowerLayout->addWidget(ListViewMulti, 1);
  SplitterMulti->addWidget(TreeViewMulti);
  SplitterMulti->addWidget(lower);
  SplitterMulti->setStretchFactor(0, 0);
  SplitterMulti->setStretchFactor(1, 1);
  layout->addWidget(SplitterMulti, 1);
  PanelCheck = new QLabel(this);
  PanelCheck->setObjectName(QStringLiteral("PanelCheck"));
  PanelCheck->setFrameShape(QFrame::Panel);
  PanelCheck->setFrameShadow(QFrame::Sunken);
  PanelCheck->setMinimumHeight(PanelCheck->fontMetrics().height() + 6);
  PanelCheck->setTextFormat(Qt::PlainText);
  layout->addWidget(PanelCheck);

  BuildMenu();
  TreeViewMulti->SetEdits(store);
  connect(TreeViewMulti, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { TreeDoubleClick(item); });
  connect(TreeViewMulti, &CompoundTree::Reordered, this, &TFormMulti::MarkChanged);
  ReadSettings();
}

void TFormMulti::BuildMenu() {
  auto add = [this](const char* name, const QString& caption, void (TFormMulti::*slot)()) {
    QAction* action = MainMenuMulti->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  MenuSave = add("MenuSave", QStringLiteral("保存"), &TFormMulti::MenuSaveClick);
  MenuSave->setEnabled(false);
  add("MenuReg", QStringLiteral("登録"), &TFormMulti::MenuRegClick);
  add("MenuUpd", QStringLiteral("更新"), &TFormMulti::MenuUpdClick);
  add("MenuDel", QStringLiteral("消去"), &TFormMulti::MenuDelClick);
  add("MenuItemAdd", QStringLiteral("[追加]"), &TFormMulti::MenuItemAddClick);
  add("MenuItemCopy", QStringLiteral("[複製]"), &TFormMulti::MenuItemCopyClick);
  add("MenuItemDel", QStringLiteral("[削除]"), &TFormMulti::MenuItemDelClick);
  add("MenuChk", QStringLiteral("[チェック]"), &TFormMulti::MenuChkClick);
}

void TFormMulti::ReadSettings() {
  const IniFile ini = IniFile::Load(settingsFolder_ / kSettingsFileName);
  resize(ReadExtent(ini, keys::kWidth, keys::kWidthDefault, 1),
         ReadExtent(ini, keys::kHeight, keys::kHeightDefault, 1));
  const int split = ReadExtent(ini, keys::kSplit, keys::kSplitDefault, 0);
  SplitterMulti->setSizes({split, std::max(1, height() - split)});
  for (int c = 0; c < 3; ++c)
    ListViewMulti->header()->resizeSection(c, ReadExtent(ini, ColumnKey(c), keys::kColumnDefaults[c], 0));
}

void TFormMulti::WriteSettings() const {
  const std::filesystem::path path = settingsFolder_ / kSettingsFileName;
  IniFile ini = IniFile::Load(path);
  ini.WriteInteger(keys::kSection, keys::kHeight, height());
  ini.WriteInteger(keys::kSection, keys::kWidth, width());
  ini.WriteInteger(keys::kSection, keys::kSplit, TreeViewMulti->height());
  for (int c = 0; c < 3; ++c)
    ini.WriteInteger(keys::kSection, ColumnKey(c), ListViewMulti->header()->sectionSize(c));
  std::string error;
  if (!ini.Save(path, &error)) qWarning("Hozanki: cannot write %s: %s", path.c_str(), error.c_str());
}

void TFormMulti::closeEvent(QCloseEvent* event) {
  WriteSettings();
  QWidget::closeEvent(event);
}

void TFormMulti::Message(const QString& text) {
  PanelCheck->setText(text);
  PanelCheck->setToolTip(text);
}

void TFormMulti::MarkChanged() {
  MenuSave->setEnabled(true);
}

void TFormMulti::MenuSaveClick() {
  ListViewMulti->CommitEditor();
  std::string error;
  if (!save_ || !save_(TreeViewMulti->Edits(), &error)) {
    // Nothing is lost: the window stays open with its changes.
    QMessageBox::warning(this, windowTitle(),
                         QStringLiteral("%1 を保存できません。\n%2")
                             .arg(QString::fromUtf8(kCompoundFileName), ReasonText(error)));
    return;
  }
  close();
}

bool TFormMulti::CheckInput() {
  Message(QString());
  if (LabeledEditMulti->text().isEmpty()) {
    Message(QStringLiteral("登録名が入力されていません"));
    LabeledEditMulti->setFocus();
    return false;
  }
  if (ListViewMulti->topLevelItemCount() == 0) {
    Message(QStringLiteral("定型リネーム情報が未入力です"));
    return false;
  }
  return true;
}

void TFormMulti::MenuRegClick() {
  ListViewMulti->CommitEditor();
  if (!CheckInput()) return;
  TreeViewMulti->Append({LabeledEditMulti->text().toStdString(), ListViewMulti->Steps()});
  MarkChanged();
}

void TFormMulti::MenuUpdClick() {
  ListViewMulti->CommitEditor();
  if (!CheckInput()) return;
  QTreeWidgetItem* root = TreeViewMulti->SelectedRoot();
  if (!root) {
    Message(QStringLiteral("更新する登録名を選択してください"));
    return;
  }
  CompoundTree::Replace(root, {LabeledEditMulti->text().toStdString(), ListViewMulti->Steps()});
  MarkChanged();
}

void TFormMulti::MenuDelClick() {
  ListViewMulti->CommitEditor();
  QTreeWidgetItem* root = TreeViewMulti->SelectedRoot();
  if (!root) return;
  delete TreeViewMulti->takeTopLevelItem(TreeViewMulti->indexOfTopLevelItem(root));
  MarkChanged();
}

void TFormMulti::MenuItemAddClick() {
  ListViewMulti->AddStep();
}

void TFormMulti::MenuItemCopyClick() {
  ListViewMulti->CopySelected();
}

void TFormMulti::MenuItemDelClick() {
  ListViewMulti->DeleteSelected();
}

void TFormMulti::MenuChkClick() {
  ListViewMulti->CommitEditor();
  if (ListViewMulti->topLevelItemCount() == 0 || !check_) return;
  const std::optional<std::string> cell = check_();
  if (!cell) return;
  std::string error;
  const std::string result = RunCompound(ListViewMulti->Steps(), *cell, &error);
  // A step that could not handle the cell says so instead of showing it unchanged.
  Message(error.empty() ? QString::fromStdString(result)
                        : QStringLiteral("処理できません：%1").arg(ReasonText(error)));
}

void TFormMulti::TreeDoubleClick(QTreeWidgetItem* item) {
  while (item && item->parent()) item = item->parent();
  if (!item) return;
  const CompoundEdit edit = CompoundTree::EditOf(item);
  LabeledEditMulti->setText(QString::fromStdString(edit.title));
  ListViewMulti->SetSteps(edit.steps);
}

}  // namespace hozanki
