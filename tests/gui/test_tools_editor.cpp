// User tools, the player and the external editor on real programs: small
// scripts in the test's folder record the arguments they receive or edit the
// exchange file; and the tool dialog.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/settings/AppSettings.h"
#include "core/settings/IniFile.h"
#include "core/tagedit/SetCellValue.h"
#include "core/tools/EditorExchange.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/tools/FormTool.h"
#include "gui/tools/ToolCommands.h"
#include "gui/tools/ToolList.h"

using namespace hozanki;
using namespace testsupport;

namespace {

using guitest::WriteEditorSetting;
using guitest::WriteIni;
using guitest::WriteRecorder;
using guitest::WriteScript;

constexpr TagKind V2 = TagKind::MP3ID3v2;

QStringList Recorded(const QString& out) {
  if (!QTest::qWaitFor([&] { return QFile::exists(out); }, 10000)) return {QStringLiteral("<nothing ran>")};
  QFile file(out);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList args;
  for (const QByteArray& part : file.readAll().split('\0')) args << QString::fromUtf8(part);
  args.removeLast();  // after the last NUL
  return args;
}

const std::string& ValueAt(TFormMain& w, int row, int subItem) {
  const auto& rows = w.CatalogueData().Entries(MediaFormat::MP3);
  return TagOf(rows.at(static_cast<size_t>(row)), V2).cells.at(static_cast<size_t>(subItem)).text;
}

QAction* ToolItem(TFormMain& w, int i) {
  return w.findChild<QAction*>(QStringLiteral("PopupFToolItem%1").arg(i));
}

}  // namespace

class ToolsEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void ToolsGetTheProgramParametersAndEveryFileAsOneArgument();
  void PlayerOrTheDesktopApplication();
  void ToolDialogEditsSavesAndRebuildsTheMenu();
  void EditorChangesOnlyTheEditedLine();
  void EditorThatCannotStartChangesNothing();

 private:
  QTemporaryDir scripts_{QDir::tempPath() + QStringLiteral("/hozanki tools 日本-XXXXXX")};
};

void ToolsEditorTest::ToolsGetTheProgramParametersAndEveryFileAsOneArgument() {
  ScopedConfigDir config;
  const QString tool = scripts_.path() + QStringLiteral("/rec \"tool\".sh");
  const QString out = scripts_.path() + QStringLiteral("/tool-args");
  WriteRecorder(tool, out);
  IniFile ini;
  ini.WriteInteger("Tool", "Count", 2);
  ini.WriteString("Tool", "Name0", "記録");
  ini.WriteString("Tool", "Exec0", tool.toStdString());
  ini.WriteString("Tool", "Parm0", "-x \"two words\" 'it''s' 曲\\ 名\tafter tab");
  ini.WriteString("Tool", "Name1", "plain");
  ini.WriteString("Tool", "Exec1", tool.toStdString());
  WriteIni(config.path(), ini);

  MediaFolder folder;
  const std::vector<std::string> names{"a b.mp3", "q\"uote's.mp3", "日本語 曲.mp3"};
  for (const std::string& name : names) folder.Copy("mp3/plain.mp3", name);
  TFormMain w;
  LoadInto(w, folder.Path());
  QCOMPARE(ToolItem(w, 0)->text(), QStringLiteral("記録"));
  QVERIFY(ToolItem(w, 0)->isEnabled());
  const QString base = QString::fromStdString(folder.Path().string()) + QLatin1Char('/');

  SelectRows(w.FileList(0), {0, 1, 2});
  ToolItem(w, 0)->trigger();
  QStringList expected{"-x", "two words", "its", "曲 名", "after", "tab"};
  for (const std::string& name : names) expected << base + QString::fromStdString(name);
  QCOMPARE(Recorded(out), expected);

  // Empty parameters: only the files; no file selected: nothing after them.
  QFile::remove(out);
  SelectRows(w.FileList(0), {2});
  ToolItem(w, 1)->trigger();
  QCOMPARE(Recorded(out), QStringList{base + QStringLiteral("日本語 曲.mp3")});
  QFile::remove(out);
  w.FileList(0)->clearSelection();
  ToolItem(w, 1)->trigger();
  QCOMPARE(Recorded(out), QStringList{});
}

void ToolsEditorTest::PlayerOrTheDesktopApplication() {
  ScopedConfigDir config;
  const QString player = scripts_.path() + QStringLiteral("/player.sh");
  const QString out = scripts_.path() + QStringLiteral("/player-args");
  WriteRecorder(player, out);
  IniFile ini;
  ini.WriteString("Option", "Player1", player.toStdString());
  ini.WriteString("Option", "PlayerPrm1", "--enqueue");
  ini.WriteString("Option", "Player5", "/no/such/player");
  WriteIni(config.path(), ini);
  MediaFolder folder;
  folder.Copy("mp3/plain.mp3", "x y.mp3");
  folder.Copy("mp3/plain.mp3", "z.mp3");
  TFormMain w;
  QStringList opened;
  ProgramStarter starter = StandardProgramStarter();
  starter.open = [&opened](const std::filesystem::path& path) {
    opened << QString::fromStdString(path.native());
    return true;
  };
  w.Tools().SetProgramStarter(starter);
  LoadInto(w, folder.Path());
  QAction* play = Action(w, "PopupFPlay");
  QVERIFY(play->isEnabled());
  SelectRows(w.FileList(0), {0, 1});
  w.FileList(0)->selectionModel()->setCurrentIndex(w.FileList(0)->model()->index(1, 1),
                                                    QItemSelectionModel::NoUpdate);
  play->trigger();
  const QString base = QString::fromStdString(folder.Path().string()) + QLatin1Char('/');
  QCOMPARE(Recorded(out), (QStringList{"--enqueue", base + "x y.mp3", base + "z.mp3"}));
  QVERIFY(opened.isEmpty());

  // A player set but missing, or none: the focused file opens by the desktop.
  AppSettings::Current().player[0] = "/no/such/player";
  play->trigger();
  QCOMPARE(opened, QStringList{base + "z.mp3"});
  AppSettings::Current().player[0].clear();
  w.FileList(0)->setCurrentIndex(QModelIndex());
  play->trigger();
  QCOMPARE(opened.size(), 1);  // no focused row: nothing
}

void ToolsEditorTest::ToolDialogEditsSavesAndRebuildsTheMenu() {
  ScopedConfigDir config;
  IniFile ini;
  ini.WriteInteger("Tool", "Count", 1);
  ini.WriteString("Tool", "Name0", "one");
  ini.WriteString("Tool", "Exec0", "/bin/one");
  ini.WriteString("Tool", "Parm0", "-1");
  ini.WriteString("Tool", "Name7", "stale");
  WriteIni(config.path(), ini);
  TFormMain w;
  w.Tools().SetProgramDialog([](QWidget*, const QString&) { return QStringLiteral("/opt/bin/my.tool.exe"); });
  QTRY_VERIFY(w.SyncRequest() != -1 && !w.IsBusy());
  QAction* setup = Action(w, "MenuOptionTool");
  QVERIFY(setup->isEnabled());

  // Closed without saving: nothing changes but the size.
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<TFormTool*>(QApplication::activeModalWidget());
    if (!dialog) return;
    QVERIFY(!dialog->MenuToolSave->isEnabled());
    dialog->MenuToolDel->trigger();  // nothing selected
    dialog->resize(500, 300);
    dialog->reject();
  });
  setup->trigger();
  IniFile after = IniFile::Load(std::filesystem::path(config.path().toStdString()) / "NR284.ini");
  QCOMPARE(after.ReadInteger("Tool", "Count", 0), 1);
  QCOMPARE(after.ReadInteger("Tool", "Width", 0), 500);
  QCOMPARE(after.ReadInteger("Tool", "Height", 0), 300);

  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<TFormTool*>(QApplication::activeModalWidget());
    if (!dialog) return;
    QCOMPARE(dialog->width(), 500);
    ToolList* list = dialog->ListViewTool;
    QCOMPARE(list->rowCount(), 1);
    QCOMPARE(list->item(0, 2)->text(), QStringLiteral("-1"));
    dialog->MenuToolAdd->trigger();
    QVERIFY(dialog->MenuToolSave->isEnabled());
    QCOMPARE(list->item(1, 0)->text(), QStringLiteral("my.tool"));
    QCOMPARE(list->currentRow(), 1);
    // In-place editing of the armed row's parameter cell.
    const QPoint cell = list->visualItemRect(list->item(1, 2)).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
    QVERIFY(list->Editor()->isVisible());
    QTest::keyClicks(list->Editor(), QStringLiteral("--go \"a b\""));
    QTest::keyClick(list->Editor(), Qt::Key_Return);
    QCOMPARE(list->item(1, 2)->text(), QStringLiteral("--go \"a b\""));
    // The new row dragged onto the first one.
    QVERIFY(list->MoveSelectedRows(0));
    dialog->MenuToolSave->trigger();
  });
  setup->trigger();
  QCOMPARE(ToolItem(w, 0)->text(), QStringLiteral("my.tool"));
  QCOMPARE(ToolItem(w, 0)->data().toString(), QStringLiteral("/opt/bin/my.tool.exe\t--go \"a b\""));
  QCOMPARE(ToolItem(w, 1)->text(), QStringLiteral("one"));
  QVERIFY(!ToolItem(w, 2));
  QCOMPARE(w.findChild<QMenu*>(QStringLiteral("PopupFTool"))->actions().size(), 4);
  after = IniFile::Load(std::filesystem::path(config.path().toStdString()) / "NR284.ini");
  QCOMPARE(after.ReadInteger("Tool", "Count", 0), 2);
  QCOMPARE(after.ReadString("Tool", "Exec0"), std::string("/opt/bin/my.tool.exe"));
  QCOMPARE(after.ReadString("Tool", "Parm1"), std::string("-1"));
  QVERIFY(!after.HasKey("Tool", "Name7"));  // the section was written anew
  QCOMPARE(after.ReadInteger("Tool", "Width", 0), 500);
  QCOMPARE(AppSettings::Current().tools.size(), size_t(2));
}

void ToolsEditorTest::EditorChangesOnlyTheEditedLine() {
  ScopedConfigDir config;
  const QString editor = scripts_.path() + QStringLiteral("/edit line 2.sh");
  // Waits a little so that the window is seen disabled, then edits line 2.
  WriteScript(editor, "sleep 0.3\nsed -i '2s/.*/EDITED 編集\\r/' \"$1\"\n");
  WriteEditorSetting(config.path(), editor);
  MediaFolder folder;
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) folder.Copy("mp3/plain.mp3", name);
  TFormMain w;
  LoadInto(w, folder.Path());
  const int title = SubItemOf(V2, "INAM");
  Catalogue& c = w.CatalogueData();
  for (int row = 0; row < 4; ++row)
    SetCellValue(c, EditTarget::TagColumn(V2, title), row, "t" + std::to_string(row) + (row == 3 ? "\r\nx" : ""));
  w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
  w.Tables().SetEditColumn(1, title + 1);
  SelectRows(w.TagTable(1), {0, 2, 3});
  bool disabledWhileRunning = false;
  QTimer probe;
  connect(&probe, &QTimer::timeout, [&] { disabledWhileRunning |= !w.isEnabled(); });
  probe.start(50);
  QAction* item = Action(w, "MenuEditEditor");
  QVERIFY(item->isEnabled());
  item->trigger();
  probe.stop();
  QVERIFY(disabledWhileRunning);
  QVERIFY(w.isEnabled());
  QCOMPARE(ValueAt(w, 0, title), std::string("t0"));
  QCOMPARE(ValueAt(w, 1, title), std::string("t1"));
  QCOMPARE(ValueAt(w, 2, title), std::string("EDITED 編集"));
  QCOMPARE(ValueAt(w, 3, title), std::string("t3\r\nx"));
  QFile exchange(config.path() + QStringLiteral("/~NR284~.txt"));
  QVERIFY(exchange.open(QIODevice::ReadOnly));  // left in place
  QCOMPARE(exchange.readAll(), QByteArray("t0\r\nEDITED 編集\r\nt3\\nx\r\n"));

  // The file-name column is no target; nothing is written.
  exchange.remove();
  w.Tables().SetEditColumn(1, 1);
  item->trigger();
  QVERIFY(!QFile::exists(config.path() + QStringLiteral("/~NR284~.txt")));
}

void ToolsEditorTest::EditorThatCannotStartChangesNothing() {
  ScopedConfigDir config;
  const QString editor = scripts_.path() + QStringLiteral("/broken.sh");
  QFile file(editor);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("#!/no/such/interpreter\n");
  file.close();
  QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
  WriteEditorSetting(config.path(), editor);
  MediaFolder folder;
  for (const char* name : {"a.mp3", "b.mp3"}) folder.Copy("mp3/plain.mp3", name);
  TFormMain w;
  LoadInto(w, folder.Path());
  const int title = SubItemOf(V2, "INAM");
  SetCellValue(w.CatalogueData(), EditTarget::TagColumn(V2, title), 1, "kept");
  w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
  w.Tables().SetEditColumn(1, title + 1);
  w.TagTable(1)->clearSelection();
  QString message;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    message = box->text();
    box->accept();
  });
  Action(w, "PopupTEditor")->trigger();
  QVERIFY2(QRegularExpression(QStringLiteral("^ShellExecute Error\\d+$")).match(message).hasMatch(),
           qPrintable(message));
  QCOMPARE(ValueAt(w, 1, title), std::string("kept"));
  // No selection: every row was written.
  QCOMPARE(w.TagTable(1)->selectionModel()->selectedRows().size(), 2);
  QFile exchange(config.path() + QStringLiteral("/~NR284~.txt"));
  QVERIFY(exchange.open(QIODevice::ReadOnly));
  QCOMPARE(exchange.readAll(), QByteArray("\r\nkept\r\n"));
}

QTEST_MAIN(ToolsEditorTest)
#include "test_tools_editor.moc"
