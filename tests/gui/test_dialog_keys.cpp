// Keyboard and mouse details of the window and its dialogs: F1 opens each
// window's own section of the manual; the focus comes back to the table after
// Ctrl+S; the drive box opens no drive on an arrow key; the tool and player
// lists arm a row like the other lists and disarm it when an edit ends; file
// names that are not UTF-8 reach tools, players and the desktop as bytes.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>
#include <functional>
#include <memory>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/settings/AppSettings.h"
#include "core/settings/IniFile.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/FormAbout.h"
#include "gui/app/HelpLocator.h"
#include "gui/catalogue/DriveBox.h"
#include "gui/catalogue/FolderPanel.h"
#include "gui/options/FormOption.h"
#include "gui/options/PlayerList.h"
#include "gui/rename/FormRename.h"
#include "gui/tagedit/FormProperty.h"
#include "gui/tagedit/FormSetAll.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/text/FormMulti.h"
#include "gui/text/FormRepair.h"
#include "gui/tools/FormTool.h"
#include "gui/tools/ToolCommands.h"
#include "gui/tools/ToolList.h"

using namespace hozanki;
using namespace testsupport;

namespace {

using guitest::WriteIni;
using guitest::WriteRecorder;

constexpr TagKind V2 = TagKind::MP3ID3v2;

QString HelpPage() {
  QFile page(HelpIndexPath());
  return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString();
}

QByteArray RecordedBytes(const QString& out) {
  if (!QTest::qWaitFor([&] { return QFile::exists(out); }, 10000)) return "<nothing ran>";
  QFile file(out);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class DialogKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void F1OpensEachWindowsOwnSection();
  void FocusComesBackToTheTableAfterCtrlS();
  void ArrowKeysOnTheDriveBoxOpenNoDrive();
  void ToolAndPlayerListsDisarmWhenAnEditEnds();
  void NamesThatAreNotUtf8ReachProgramsAsBytes();
};

void DialogKeysTest::F1OpensEachWindowsOwnSection() {
  ScopedConfigDir config;
  QStringList opened;
  const auto keep = HelpDesktopOpener();
  HelpDesktopOpener() = [&opened](const QUrl& url) {
    opened << url.fragment();
    return true;
  };
  const std::filesystem::path settings = config.path().toStdString();
  MediaFolder folder;
  folder.Copy("mp3/plain.mp3", "a.mp3");
  TFormMain w;
  struct Case {
    const char* window;
    std::function<QWidget*()> make;
    const char* heading;  // the section's heading text in the manual
  };
  const Case cases[] = {
      {"一括入力", [&] { return new TFormSetAll(SetAllLayout{}, "x", settings, &w); }, "一括入力"},
      {"定型リネーム設定", [&] { return new TFormRename(w.Renames(), &w, 0); }, "定型リネーム"},
      {"複合編集設定", [&] { return new TFormMulti({}, settings, nullptr, nullptr, &w); }, "複合編集"},
      {"ツール設定", [&] { return new TFormTool({}, settings, nullptr, &w); }, "ツール・再生・外部エディタ"},
      {"文字コード修復", [&] { return new TFormRepair({}, &w); }, "文字コード修復"},
      {"プロパティ", [&] { return new FormProperty(folder.Path() / "a.mp3", MediaFormat::MP3, 0, &w); }, "プロパティ"},
      {"バージョン情報", [&] { return new TFormAbout(&w); }, "バージョン情報"},
      {"動作環境設定 起動",
       [&] { return new TFormOption(AppSettings(), QStringLiteral("F"), settings, OptionDialogs{}, &w); },
       "「起動」"},
  };
  const QString page = HelpPage();
  QVERIFY(!page.isEmpty());
  for (const Case& c : cases) {
    std::unique_ptr<QWidget> dialog(c.make());
    dialog->show();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    opened.clear();
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    QVERIFY2(opened.size() == 1, c.window);
    // The anchor is the heading of the window's own section.
    const QRegularExpression heading(
        QStringLiteral("<h[23][^>]*><a id=\"%1\"></a>([^<]*)</h[23]>|<h[23] id=\"%1\">([^<]*)</h[23]>")
            .arg(opened.first()));
    const QRegularExpressionMatch m = heading.match(page);
    QVERIFY2(m.hasMatch(), c.window);
    const QString text = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    QVERIFY2(text == QString::fromUtf8(c.heading), qPrintable(QString::fromUtf8(c.window) + ": " + text));
  }
  HelpDesktopOpener() = keep;
}

void DialogKeysTest::FocusComesBackToTheTableAfterCtrlS() {
  ScopedConfigDir config;
  MediaFolder folder;
  folder.Copy("mp3/plain.mp3", "a.mp3");
  folder.Copy("mp3/plain.mp3", "b.mp3");
  TFormMain w;
  w.show();
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  LoadInto(w, folder.Path());
  w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
  QTableView* table = w.TagTable(1);
  table->setFocus();
  QTRY_COMPARE(QApplication::focusWidget(), table);
  QVERIFY(SetCellValue(w.CatalogueData(), EditTarget::TagColumn(V2, SubItemOf(V2, "INAM")), 0, "saved"));
  QVERIFY(SaveAndWait(w));
  QTRY_VERIFY(!w.IsBusy());
  QTRY_COMPARE(QApplication::focusWidget(), table);
  // The arrow keys work there again.
  table->setCurrentIndex(table->model()->index(0, 1));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QCOMPARE(table->currentIndex().row(), 1);
}

void DialogKeysTest::ArrowKeysOnTheDriveBoxOpenNoDrive() {
  QTreeView tree;
  auto* model = new QStandardItemModel(&tree);
  tree.setModel(model);
  QComboBox drives;
  for (const char* mount : {"/", "/media/a", "/media/b"}) {
    drives.addItem(QString::fromLatin1(mount));
    drives.setItemData(drives.count() - 1, QByteArray(mount), kDriveMountPointRole);
  }
  drives.setCurrentIndex(0);
  std::vector<LoadRequest> opened;
  FolderPanelHost host;
  host.busy = [] { return false; };
  host.currentFolder = [] { return std::filesystem::path("/home"); };
  host.afterStagedEdits = [](std::function<void()> then) { then(); };
  host.openFolder = [&opened](const LoadRequest& request) { opened.push_back(request); };
  FolderPanel panel(&tree, model, &drives, std::move(host));
  drives.show();
  drives.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&drives));
  for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_End}) {
    QTest::keyClick(&drives, key);
    drives.hidePopup();
  }
  QVERIFY(opened.empty());
  // Chosen in the list (Enter or a click): that drive opens.
  emit drives.activated(2);
  QCOMPARE(opened.size(), size_t{1});
}

void DialogKeysTest::ToolAndPlayerListsDisarmWhenAnEditEnds() {
  ScopedConfigDir config;
  ToolList tools;
  tools.SetTools({{"one", "/bin/one", "-a"}, {"two", "/bin/two", "-b"}});
  PlayerList players;
  players.SetRow(0, "/p0", "-x");
  players.SetRow(1, "/p1", "-y");
  struct Case {
    const char* name;
    QTableWidget* list;
    QLineEdit* editor;
    int column;
  };
  const Case cases[] = {
      {"tools", &tools, tools.Editor(), 2},
      {"players", &players, players.Editor(), PlayerList::kParameterColumn},
  };
  for (const Case& c : cases) {
    c.list->resize(500, 300);
    c.list->show();
    QVERIFY(QTest::qWaitForWindowExposed(c.list));
    const QPoint cell = c.list->visualItemRect(c.list->item(1, c.column)).center();
    auto click = [&] { QTest::mouseClick(c.list->viewport(), Qt::LeftButton, {}, cell); };
    click();  // selects row 1
    QVERIFY2(!c.editor->isVisible(), c.name);
    click();  // a click on the selected row arms it
    QVERIFY2(!c.editor->isVisible(), c.name);
    click();  // the armed row: the editor
    QVERIFY2(c.editor->isVisible(), c.name);
    QTest::keyClick(c.editor, Qt::Key_Return);
    QVERIFY2(c.list->currentRow() == 1, c.name);  // the edited row stays the current one
    QVERIFY2(!c.editor->isVisible(), c.name);
    click();  // disarmed: a single click does not open it again
    QVERIFY2(!c.editor->isVisible(), c.name);
    click();
    QVERIFY2(c.editor->isVisible(), c.name);
    QTest::keyClick(c.editor, Qt::Key_Escape);
    click();
    QVERIFY2(!c.editor->isVisible(), c.name);
    c.list->hide();
  }
}

void DialogKeysTest::NamesThatAreNotUtf8ReachProgramsAsBytes() {
  ScopedConfigDir config;
  QTemporaryDir scripts;
  const QString tool = scripts.path() + QStringLiteral("/rec.sh");
  const QString out = scripts.path() + QStringLiteral("/args");
  WriteRecorder(tool, out);
  IniFile ini;
  ini.WriteInteger("Tool", "Count", 1);
  ini.WriteString("Tool", "Name0", "rec");
  ini.WriteString("Tool", "Exec0", tool.toStdString());
  ini.WriteString("Option", "Player1", tool.toStdString());
  WriteIni(config.path(), ini);
  MediaFolder folder;
  const std::string sjis = "\x83\x65\x83\x58\x83\x67.mp3";  // "テスト" in Shift-JIS
  folder.Copy("mp3/plain.mp3", sjis);
  TFormMain w;
  std::vector<std::string> opened;
  ProgramStarter starter = StandardProgramStarter();
  starter.open = [&opened](const std::filesystem::path& path) {
    opened.push_back(path.native());
    return true;
  };
  w.Tools().SetProgramStarter(starter);
  LoadInto(w, folder.Path());
  const QByteArray expected = QByteArray::fromStdString((folder.Path() / sjis).native()) + '\0';
  SelectRows(w.FileList(0), {0});
  w.FileList(0)->selectionModel()->setCurrentIndex(w.FileList(0)->model()->index(0, 1), QItemSelectionModel::NoUpdate);
  // A tool, the player, then the desktop's application.
  QTRY_VERIFY(w.findChild<QAction*>(QStringLiteral("PopupFToolItem0"))->isEnabled());
  w.findChild<QAction*>(QStringLiteral("PopupFToolItem0"))->trigger();
  QCOMPARE(RecordedBytes(out), expected);
  QFile::remove(out);
  Action(w, "PopupFPlay")->trigger();
  QCOMPARE(RecordedBytes(out), expected);
  AppSettings::Current().player[0].clear();
  Action(w, "PopupFPlay")->trigger();
  QCOMPARE(opened, std::vector<std::string>{(folder.Path() / sjis).native()});
  // QTemporaryDir cannot name it to remove it.
  std::filesystem::remove(folder.Path() / sjis);
}

QTEST_MAIN(DialogKeysTest)
#include "test_dialog_keys.moc"
