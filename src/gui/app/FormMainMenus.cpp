// TFormMain: the menu bar and the popup menus. Items whose commands are not
// built yet are present and disabled.

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "core/settings/AppSettings.h"
#include "core/text/ConvertTextKinds.h"
#include "gui/app/FormMain.h"

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
          ->setData(static_cast<int>(leaf.kind));
    }
  }
}

}  // namespace

void TFormMain::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu"));

  QMenu* file = MenuFile = bar->addMenu(QStringLiteral("ファイル(&F)"));
  file->setObjectName(QStringLiteral("MenuFile"));
  MenuFileModeT = Item(file, "MenuFileModeT", QStringLiteral("タグ編集モード(&T)"), {}, true);
  MenuFileModeR =
      Item(file, "MenuFileModeR", QStringLiteral("リネームモード(&N)"), QKeySequence(Qt::Key_F5), true);
  MenuFileModeR->setData(1);
  auto* modes = new QActionGroup(this);
  for (QAction* mode : {MenuFileModeT, MenuFileModeR}) {
    mode->setCheckable(true);
    modes->addAction(mode);
    connect(mode, &QAction::triggered, this, &TFormMain::MenuFileModeClick);
  }
  MenuFileModeT->setChecked(true);
  file->addSeparator();
  Item(file, "MenuFileSave", QStringLiteral("保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S));
  Item(file, "MenuFileListOut", QStringLiteral("リスト出力(&L)"), QKeySequence(Qt::CTRL | Qt::Key_L));
  MenuFileReload =
      Item(file, "MenuFileReload", QStringLiteral("再読込み(&R)"), QKeySequence(Qt::CTRL | Qt::Key_R), true);
  connect(MenuFileReload, &QAction::triggered, this, &TFormMain::MenuFileReloadClick);
  file->addSeparator();
  connect(Item(file, "MenuFileExit", QStringLiteral("終了(&X)"), {}, true), &QAction::triggered, this,
          &QWidget::close);

  QMenu* edit = MenuEdit = bar->addMenu(QStringLiteral("編集(&E)"));
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

  QMenu* option = MenuOption = bar->addMenu(QStringLiteral("設定(&O)"));
  option->setObjectName(QStringLiteral("MenuOption"));
  Item(option, "MenuOptionGeneral", QStringLiteral("動作環境(&E)"));
  Item(option, "MenuOptionRename", QStringLiteral("定型リネーム(&F)"));
  Item(option, "MenuOptionMulti", QStringLiteral("複合編集(&M)"));
  Item(option, "MenuOptionTool", QStringLiteral("ツール(&T)"));

  QMenu* help = MenuHelp = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->setObjectName(QStringLiteral("MenuHelp"));
  connect(Item(help, "MenuHelpTopic", QStringLiteral("トピック(&H)"), {}, true), &QAction::triggered, this,
          &TFormMain::MenuHelpTopicClick);
  help->addSeparator();
  connect(Item(help, "MenuHelpAbout", QStringLiteral("バージョン情報(&A)"), {}, true), &QAction::triggered,
          this, &TFormMain::MenuHelpAboutClick);

  // Shown only while a worker runs.
  MenuCancel = bar->addAction(QStringLiteral("キャンセル(&C)"));
  MenuCancel->setObjectName(QStringLiteral("MenuCancel"));
  MenuCancel->setVisible(false);
  connect(MenuCancel, &QAction::triggered, this, &TFormMain::MenuCancelClick);

  // F1: the window's help context.
  auto* helpContext = new QAction(this);
  helpContext->setObjectName(QStringLiteral("HelpContext"));
  helpContext->setShortcut(QKeySequence(Qt::Key_F1));
  helpContext->setShortcutContext(Qt::WindowShortcut);
  addAction(helpContext);
  connect(helpContext, &QAction::triggered, this, &TFormMain::HelpContextClick);

  BuildPopups();
}

void TFormMain::BuildPopups() {
  PopupF = new QMenu(this);
  PopupF->setObjectName(QStringLiteral("PopupF"));
  PopupFTool = SubMenu(PopupF, "PopupFTool", QStringLiteral("ツール(&T)"));
  PopupFTool->addSeparator();
  PopupFToolSetup = Item(PopupFTool, "PopupFToolSetup", QStringLiteral("設定(&O)"));
  Item(PopupF, "PopupFListOut", QStringLiteral("リスト出力(&L)"));
  Item(PopupF, "PopupFPlay", QStringLiteral("再生(&P)"));
  PopupF->addSeparator();
  connect(Item(PopupF, "PopupFSelectAll", QStringLiteral("すべて選択(&A)"),
               QKeySequence(Qt::CTRL | Qt::Key_A), true),
          &QAction::triggered, this, &TFormMain::MenuEditSelectAllClick);
  Item(PopupF, "PopupFDelete", QStringLiteral("除外(&D)"), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  PopupF->addSeparator();
  Item(PopupF, "PopupFProperty", QStringLiteral("プロパティ(&R)"));

  PopupT = new QMenu(this);
  PopupT->setObjectName(QStringLiteral("PopupT"));
  Item(PopupT, "PopupTCopy", QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
  Item(PopupT, "PopupTPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
  Item(PopupT, "PopupTUndo", QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
  PopupT->addSeparator();
  Item(PopupT, "PopupTSetAll", QStringLiteral("一括入力(&I)"));
  Item(PopupT, "PopupTEditor", QStringLiteral("エディタ(&E)"), QKeySequence(Qt::CTRL | Qt::Key_E));
  Item(PopupT, "PopupTReplace", QStringLiteral("置換(&R)"));
  AddConversions(SubMenu(PopupT, "PopupTConvert", QStringLiteral("変換(&T)")), "PopupT", true);
  Item(PopupT, "PopupTRegexp", QStringLiteral("正規表現(&G)"));
  Item(PopupT, "PopupTSubstr", QStringLiteral("部分参照(&S)"));
  PopupTMulti = SubMenu(PopupT, "PopupTMulti", QStringLiteral("複合編集(&M)"));
  PopupTMulti->addSeparator();
  Item(PopupTMulti, "PopupTMultiOption", QStringLiteral("設定(&O)"));
  Item(PopupT, "PopupTClear", QStringLiteral("消去(&B)"), QKeySequence(Qt::Key_Delete));
  PopupT->addSeparator();
  connect(Item(PopupT, "PopupTSelectAll", QStringLiteral("すべて選択(&A)"),
               QKeySequence(Qt::CTRL | Qt::Key_A), true),
          &QAction::triggered, this, &TFormMain::MenuEditSelectAllClick);
  Item(PopupT, "PopupTDelete", QStringLiteral("除外(&D)"), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  PopupT->addSeparator();
  Item(PopupT, "PopupTMode", QStringLiteral("モード解除(&X)"), QKeySequence(Qt::Key_Escape));

  PopupR = new QMenu(this);
  PopupR->setObjectName(QStringLiteral("PopupR"));
  Item(PopupR, "PopupRCopy", QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C));
  Item(PopupR, "PopupRPaste", QStringLiteral("貼り付け(&P)"), QKeySequence(Qt::CTRL | Qt::Key_V));
  Item(PopupR, "PopupRUndo", QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z));
  PopupR->addSeparator();
  PopupRForm = SubMenu(PopupR, "PopupRForm", QStringLiteral("定型リネーム(&F)"));
  PopupRForm->addSeparator();
  Item(PopupRForm, "PopupRFormOption", QStringLiteral("設定(&O)"));
  Item(PopupR, "PopupREditor", QStringLiteral("エディタ(&E)"), QKeySequence(Qt::CTRL | Qt::Key_E));
  Item(PopupR, "PopupRReplace", QStringLiteral("置換(&R)"));
  AddConversions(SubMenu(PopupR, "PopupRConvert", QStringLiteral("変換(&T)")), "PopupR", false);
  Item(PopupR, "PopupRRegexp", QStringLiteral("正規表現(&G)"));
  Item(PopupR, "PopupRSubstr", QStringLiteral("部分参照(&S)"));
  PopupRMulti = SubMenu(PopupR, "PopupRMulti", QStringLiteral("複合編集(&M)"));
  PopupRMulti->addSeparator();
  Item(PopupRMulti, "PopupRMultiOption", QStringLiteral("設定(&O)"));
  PopupR->addSeparator();
  connect(Item(PopupR, "PopupRSelectAll", QStringLiteral("すべて選択(&A)"),
               QKeySequence(Qt::CTRL | Qt::Key_A), true),
          &QAction::triggered, this, &TFormMain::MenuEditSelectAllClick);
  Item(PopupR, "PopupRDelete", QStringLiteral("除外(&D)"), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  PopupR->addSeparator();
  QAction* modeOff =
      Item(PopupR, "PopupRMode", QStringLiteral("モード解除(&X)"), QKeySequence(Qt::Key_Escape), true);
  connect(modeOff, &QAction::triggered, this, [this] { SwitchMode(EditMode::Tag); });
}

}  // namespace hozanki
