// TFormMain: the menu bar and the popup menus. Items whose commands are not
// built yet are present and disabled. "再読込み(&R)" and "キャンセル(&C)" go
// to the folder session; "保存(&S)" is connected with the cell commands.

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "core/settings/AppSettings.h"
#include "core/text/ConvertTextKinds.h"
#include "gui/app/FormAbout.h"
#include "gui/app/FormMain.h"
#include "gui/app/HelpLocator.h"

namespace hozanki {
namespace {

QAction* Item(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {},
              bool enabled = false) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QLatin1String(name));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  action->setEnabled(enabled);
  return action;
}

QMenu* SubMenu(QMenu* parent, const char* name, const QString& caption, bool enabled = true) {
  QMenu* menu = parent->addMenu(caption);
  menu->setObjectName(QLatin1String(name));
  menu->menuAction()->setObjectName(QLatin1String(name) + QStringLiteral("Item"));
  menu->setEnabled(enabled);
  return menu;
}

// The fourteen character conversions under "変換(&T)", grouped; the kind's
// number is the item's data.
void AddConversions(QMenu* convert, const char* prefix, bool tagPopup) {
  auto bytes = [](std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
  };
  for (const ConvertGroupInfo& g : ConvertGroupTable()) {
    const QByteArray groupName = QByteArray(prefix) + "Convert" + bytes(g.itemName);
    QMenu* sub = SubMenu(convert, groupName.constData(), QString::fromUtf8(bytes(g.caption)));
    for (const ConvertKindInfo& leaf : ConvertKindsOf(g.group)) {
      const std::string_view item = tagPopup ? leaf.tagItemName : leaf.renameItemName;
      const QByteArray name = QByteArray(prefix) + "Convert" + bytes(item);
      Item(sub, name.constData(), QString::fromUtf8(bytes(leaf.caption)))
          ->setData(leaf.number);
    }
  }
}

}  // namespace

void TFormMain::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu"));

  QMenu* file = ui_.MenuFile = bar->addMenu(QStringLiteral("ファイル(&F)"));
  file->setObjectName(QStringLiteral("MenuFile"));
  ui_.MenuFileModeT = Item(file, "MenuFileModeT", QStringLiteral("タグ編集モード(&T)"), {}, true);
  ui_.MenuFileModeR =
      Item(file, "MenuFileModeR", QStringLiteral("リネームモード(&N)"), QKeySequence(Qt::Key_F5), true);
  ui_.MenuFileModeR->setData(1);
  auto* modes = new QActionGroup(this);
  for (QAction* mode : {ui_.MenuFileModeT, ui_.MenuFileModeR}) {
    mode->setCheckable(true);
    modes->addAction(mode);
    connect(mode, &QAction::triggered, this, &TFormMain::MenuFileModeClick);
  }
  ui_.MenuFileModeT->setChecked(true);
  file->addSeparator();
  Item(file, "MenuFileSave", QStringLiteral("保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
  Item(file, "MenuFileListOut", QStringLiteral("リスト出力(&L)"), QKeySequence(Qt::CTRL | Qt::Key_L));
  ui_.MenuFileReload =
      Item(file, "MenuFileReload", QStringLiteral("再読込み(&R)"), QKeySequence(Qt::CTRL | Qt::Key_R), true);
  connect(ui_.MenuFileReload, &QAction::triggered, this,
          [this] { session_->AfterStagedEdits([this] { session_->StartReload(false); }); });
  file->addSeparator();
  connect(Item(file, "MenuFileExit", QStringLiteral("終了(&X)"), {}, true), &QAction::triggered, this,
          &QWidget::close);

  QMenu* edit = ui_.MenuEdit = bar->addMenu(QStringLiteral("編集(&E)"));
  edit->setObjectName(QStringLiteral("MenuEdit"));
  Item(edit, "MenuEditCopy", QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
  Item(edit, "MenuEditPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
  Item(edit, "MenuEditUndo", QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
  edit->addSeparator();
  Item(edit, "MenuEditEditor", QStringLiteral("エディタ(&E)"), QKeySequence(Qt::CTRL | Qt::Key_E));
  edit->addSeparator();
  connect(Item(edit, "MenuEditSelectAll", QStringLiteral("すべて選択(&A)"),
               QKeySequence(Qt::CTRL | Qt::Key_A), true),
          &QAction::triggered, this, &TFormMain::MenuEditSelectAllClick);

  QMenu* option = ui_.MenuOption = bar->addMenu(QStringLiteral("設定(&O)"));
  option->setObjectName(QStringLiteral("MenuOption"));
  Item(option, "MenuOptionGeneral", QStringLiteral("動作環境(&E)"));
  Item(option, "MenuOptionRename", QStringLiteral("定型リネーム(&F)"));
  Item(option, "MenuOptionMulti", QStringLiteral("複合編集(&M)"));
  Item(option, "MenuOptionTool", QStringLiteral("ツール(&T)"));

  QMenu* help = ui_.MenuHelp = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->setObjectName(QStringLiteral("MenuHelp"));
  connect(Item(help, "MenuHelpTopic", QStringLiteral("トピック(&H)"), {}, true), &QAction::triggered, this,
          [this] { OpenHelp(this); });
  help->addSeparator();
  connect(Item(help, "MenuHelpAbout", QStringLiteral("バージョン情報(&A)"), {}, true), &QAction::triggered,
          this, [this] {
            TFormAbout about(this);
            about.exec();
          });

  // Shown only while a worker runs.
  ui_.MenuCancel = bar->addAction(QStringLiteral("キャンセル(&C)"));
  ui_.MenuCancel->setObjectName(QStringLiteral("MenuCancel"));
  ui_.MenuCancel->setVisible(false);
  connect(ui_.MenuCancel, &QAction::triggered, this, [this] {
    ui_.MenuCancel->setEnabled(false);
    session_->Cancel();
  });

  // F1: the window's help context.
  auto* helpContext = new QAction(this);
  helpContext->setObjectName(QStringLiteral("HelpContext"));
  helpContext->setShortcut(QKeySequence(Qt::Key_F1));
  helpContext->setShortcutContext(Qt::WindowShortcut);
  addAction(helpContext);
  connect(helpContext, &QAction::triggered, this, [this] { OpenHelp(this, kHelpContext); });

  BuildPopups();
}

void TFormMain::UpdateEditorItem() {
  // The external editor has something to edit in rename mode (the names) or
  // on a value column chosen as the active tag table's edit column.
  if (QAction* editor = findChild<QAction*>(QStringLiteral("MenuEditEditor")))
    editor->setEnabled(IsRenameMode() || editColumn_[static_cast<size_t>(ui_.PageControlT->currentIndex())] > 1);
}

void TFormMain::BuildPopups() {
  ui_.PopupF = new QMenu(this);
  ui_.PopupF->setObjectName(QStringLiteral("PopupF"));
  ui_.PopupFTool = SubMenu(ui_.PopupF, "PopupFTool", QStringLiteral("ツール(&T)"));
  ui_.PopupFTool->addSeparator();
  ui_.PopupFToolSetup = Item(ui_.PopupFTool, "PopupFToolSetup", QStringLiteral("設定(&O)"));
  Item(ui_.PopupF, "PopupFListOut", QStringLiteral("リスト出力(&L)"));
  Item(ui_.PopupF, "PopupFPlay", QStringLiteral("再生(&P)"));
  ui_.PopupF->addSeparator();
  connect(Item(ui_.PopupF, "PopupFSelectAll", QStringLiteral("すべて選択(&A)"),
               QKeySequence(Qt::CTRL | Qt::Key_A), true),
          &QAction::triggered, this, &TFormMain::MenuEditSelectAllClick);
  Item(ui_.PopupF, "PopupFDelete", QStringLiteral("除外(&D)"), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  ui_.PopupF->addSeparator();
  Item(ui_.PopupF, "PopupFProperty", QStringLiteral("プロパティ(&R)"));

  ui_.PopupT = new QMenu(this);
  ui_.PopupT->setObjectName(QStringLiteral("PopupT"));
  Item(ui_.PopupT, "PopupTCopy", QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
  Item(ui_.PopupT, "PopupTPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
  Item(ui_.PopupT, "PopupTUndo", QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
  ui_.PopupT->addSeparator();
  Item(ui_.PopupT, "PopupTSetAll", QStringLiteral("一括入力(&I)"));
  Item(ui_.PopupT, "PopupTEditor", QStringLiteral("エディタ(&E)"), QKeySequence(Qt::CTRL | Qt::Key_E));
  Item(ui_.PopupT, "PopupTReplace", QStringLiteral("置換(&R)"));
  AddConversions(SubMenu(ui_.PopupT, "PopupTConvert", QStringLiteral("変換(&T)")), "PopupT", true);
  Item(ui_.PopupT, "PopupTRegexp", QStringLiteral("正規表現(&G)"));
  Item(ui_.PopupT, "PopupTSubstr", QStringLiteral("部分参照(&S)"));
  ui_.PopupTMulti = SubMenu(ui_.PopupT, "PopupTMulti", QStringLiteral("複合編集(&M)"));
  ui_.PopupTMulti->addSeparator();
  Item(ui_.PopupTMulti, "PopupTMultiOption", QStringLiteral("設定(&O)"));
  Item(ui_.PopupT, "PopupTClear", QStringLiteral("消去(&B)"), QKeySequence(Qt::Key_Delete));
  ui_.PopupT->addSeparator();
  connect(Item(ui_.PopupT, "PopupTSelectAll", QStringLiteral("すべて選択(&A)"),
               QKeySequence(Qt::CTRL | Qt::Key_A), true),
          &QAction::triggered, this, &TFormMain::MenuEditSelectAllClick);
  Item(ui_.PopupT, "PopupTDelete", QStringLiteral("除外(&D)"), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  ui_.PopupT->addSeparator();
  Item(ui_.PopupT, "PopupTMode", QStringLiteral("モード解除(&X)"), QKeySequence(Qt::Key_Escape));

  ui_.PopupR = new QMenu(this);
  ui_.PopupR->setObjectName(QStringLiteral("PopupR"));
  Item(ui_.PopupR, "PopupRCopy", QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
  Item(ui_.PopupR, "PopupRPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
  Item(ui_.PopupR, "PopupRUndo", QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
  ui_.PopupR->addSeparator();
  ui_.PopupRForm = SubMenu(ui_.PopupR, "PopupRForm", QStringLiteral("定型リネーム(&F)"));
  ui_.PopupRForm->addSeparator();
  Item(ui_.PopupRForm, "PopupRFormOption", QStringLiteral("設定(&O)"));
  Item(ui_.PopupR, "PopupREditor", QStringLiteral("エディタ(&E)"), QKeySequence(Qt::CTRL | Qt::Key_E));
  Item(ui_.PopupR, "PopupRReplace", QStringLiteral("置換(&R)"));
  AddConversions(SubMenu(ui_.PopupR, "PopupRConvert", QStringLiteral("変換(&T)")), "PopupR", false);
  Item(ui_.PopupR, "PopupRRegexp", QStringLiteral("正規表現(&G)"));
  Item(ui_.PopupR, "PopupRSubstr", QStringLiteral("部分参照(&S)"));
  ui_.PopupRMulti = SubMenu(ui_.PopupR, "PopupRMulti", QStringLiteral("複合編集(&M)"));
  ui_.PopupRMulti->addSeparator();
  Item(ui_.PopupRMulti, "PopupRMultiOption", QStringLiteral("設定(&O)"));
  ui_.PopupR->addSeparator();
  connect(Item(ui_.PopupR, "PopupRSelectAll", QStringLiteral("すべて選択(&A)"),
               QKeySequence(Qt::CTRL | Qt::Key_A), true),
          &QAction::triggered, this, &TFormMain::MenuEditSelectAllClick);
  Item(ui_.PopupR, "PopupRDelete", QStringLiteral("除外(&D)"), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  ui_.PopupR->addSeparator();
  QAction* modeOff =
      Item(ui_.PopupR, "PopupRMode", QStringLiteral("モード解除(&X)"), QKeySequence(Qt::Key_Escape), true);
  connect(modeOff, &QAction::triggered, this, [this] { SwitchMode(EditMode::Tag); });
}

}  // namespace hozanki
