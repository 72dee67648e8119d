// The cell commands with a stand-in window: the compound store and its
// submenus, which rows a compound edit and a conversion take, and the edit
// shortcuts taken while modeless windows are open.

#include <QAction>
#include <QMenu>
#include <QtTest>

#include "FakeWindowHost.h"
#include "GuiTestSupport.h"
#include "core/settings/CompoundFile.h"
#include "core/text/ConvertText.h"
#include "gui/tagedit/CellCommands.h"

using namespace hozanki;

class CellCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void StoredEditsFillBothSubmenusAndRunOnTheSelectedRows();
  void AnUnreadableStoreIsNeverWrittenOver();
  void ConversionsTakeOnlySelectedOpenRowsAndKeepExtensions();
  void ShortcutsComeBackWithTheLastRestore();
};

namespace {

struct Fixture {
  explicit Fixture(int rows, const std::filesystem::path& settings) : fake(rows) {
    for (QMenu* menu : {&menuT, &menuR}) {
      menu->addSeparator();
      menu->addAction(QStringLiteral("設定(&O)"));
    }
    CellCommandHost host;
    host.window = &fake.window;
    host.settingsFolder = settings;
    host.catalogue = [this]() -> Catalogue& { return fake.catalogue; };
    host.currentFolder = [this] { return fake.folder; };
    host.renameMode = [this] { return fake.rename; };
    host.busy = [this] { return fake.busy; };
    host.activeView = [this](bool fileList) { return fileList ? &fake.files : &fake.tags; };
    host.target = [this](bool fileList) { return fake.Target(fileList); };
    host.compoundMenus = {&menuT, &menuR};
    cells = new CellCommands(std::move(host), &fake.window);
    cells->LoadCompoundEdits();
  }
  QStringList Captions(QMenu& menu) const {
    QStringList out;
    for (QAction* item : menu.actions()) out << item->text();
    return out;
  }

  guitest::FakeWindow fake;
  QMenu menuT, menuR;
  CellCommands* cells = nullptr;
};

std::filesystem::path SettingsOf(const ScopedConfigDir& dir) {
  return dir.path().toStdString();
}

}  // namespace

void CellCommandsTest::StoredEditsFillBothSubmenusAndRunOnTheSelectedRows() {
  ScopedConfigDir dir;
  Fixture f(4, SettingsOf(dir));
  QVERIFY(f.cells->CompoundStore().empty());
  const std::vector<CompoundEdit> edits{{"A&B", {{0, "t*", "x"}}}, {"upper", {{2, "小文字 ⇒ 大文字", ""}}}};
  std::string error;
  QVERIFY2(f.cells->StoreCompoundEdits(edits, &error), error.c_str());
  QCOMPARE(f.cells->CompoundStore(), edits);
  QVERIFY(std::filesystem::exists(SettingsOf(dir) / kCompoundFileName));
  for (QMenu* menu : {&f.menuT, &f.menuR}) {
    QCOMPARE(menu->actions().size(), 4);
    QCOMPARE(menu->actions()[0]->text(), QStringLiteral("A&&B"));  // shown as typed
    QCOMPARE(menu->actions()[1]->text(), QStringLiteral("upper"));
    QVERIFY(menu->actions()[2]->isSeparator());
  }
  // Storing again replaces the entries instead of adding to them.
  QVERIFY(f.cells->StoreCompoundEdits({edits[1]}, &error));
  QCOMPARE(f.menuT.actions().size(), 3);

  Catalogue& c = f.fake.catalogue;
  for (int r = 0; r < 4; ++r) test::SetText(c, TagKind::WAV, r, 2, "t" + std::to_string(r));
  // A closed row is taken too; an unselected one is not; no selection, nothing.
  test::SetMarks(c, TagKind::WAV, 1, kChecked, kErrorMark);
  f.cells->PopupMultiClick(0);
  QCOMPARE(f.fake.Title(0), std::string("t0"));
  f.fake.Select(f.fake.tags, {1, 2});
  f.menuT.actions()[0]->trigger();
  QCOMPARE(f.fake.Title(0), std::string("t0"));
  QCOMPARE(f.fake.Title(1), std::string("T1"));
  QCOMPARE(f.fake.Title(2), std::string("T2"));
  QCOMPARE(f.fake.Title(3), std::string("t3"));
  // Without an edit column nothing runs.
  f.fake.editColumn = 1;
  test::SetText(c, TagKind::WAV, 2, 2, "t2");
  f.cells->PopupMultiClick(0);
  QCOMPARE(f.fake.Title(2), std::string("t2"));
  f.cells->PopupMultiClick(5);  // out of range: ignored
}

void CellCommandsTest::AnUnreadableStoreIsNeverWrittenOver() {
  ScopedConfigDir dir;
  const std::filesystem::path file = SettingsOf(dir) / kCompoundFileName;
  std::filesystem::create_directory(file);  // cannot be read as a file
  Fixture f(1, SettingsOf(dir));
  std::string error;
  QVERIFY(!f.cells->StoreCompoundEdits({{"x", {}}}, &error));
  QVERIFY(!error.empty());
  QVERIFY(f.cells->CompoundStore().empty());
  QCOMPARE(f.menuT.actions().size(), 2);
  QVERIFY(std::filesystem::is_directory(file));
}

void CellCommandsTest::ConversionsTakeOnlySelectedOpenRowsAndKeepExtensions() {
  ScopedConfigDir dir;
  Fixture f(3, SettingsOf(dir));
  Catalogue& c = f.fake.catalogue;
  for (int r = 0; r < 3; ++r) test::SetText(c, TagKind::WAV, r, 2, "ab" + std::to_string(r));
  test::SetMarks(c, TagKind::WAV, 2, kUnavailable);
  const int upper = 1;  // ConvertText: lower case to upper case
  QCOMPARE(ConvertText(upper, "ab"), std::string("AB"));
  f.cells->PopupConvertClick(upper);  // nothing selected: nothing
  QCOMPARE(f.fake.Title(0), std::string("ab0"));
  f.fake.Select(f.fake.tags, {0, 2});
  f.cells->PopupConvertClick(upper);
  QCOMPARE(f.fake.Title(0), std::string("AB0"));
  QCOMPARE(f.fake.Title(1), std::string("ab1"));
  QCOMPARE(f.fake.Title(2), std::string("ab2"));  // unavailable
  // Rename mode: the file name without its extension.
  f.fake.rename = true;
  f.fake.Select(f.fake.files, {1});
  f.cells->PopupConvertClick(upper);
  QCOMPARE(test::EntryAt(c, MediaFormat::WAV, 1).file.cells[0].text, std::string("F1.x"));
  QCOMPARE(test::EntryAt(c, MediaFormat::WAV, 0).file.cells[0].text, std::string("f0.x"));
}

void CellCommandsTest::ShortcutsComeBackWithTheLastRestore() {
  ScopedConfigDir dir;
  Fixture f(1, SettingsOf(dir));
  auto* copy = new QAction(&f.fake.window);
  copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  auto* other = new QAction(&f.fake.window);
  other->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  f.cells->DropEditShortcuts();
  f.cells->DropEditShortcuts();
  QVERIFY(copy->shortcut().isEmpty());
  QCOMPARE(other->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  f.cells->RestoreEditShortcuts();
  QVERIFY(copy->shortcut().isEmpty());  // one window is still open
  f.cells->RestoreEditShortcuts();
  QCOMPARE(copy->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
  f.cells->RestoreEditShortcuts();  // one restore too many changes nothing
  f.cells->DropEditShortcuts();
  QVERIFY(copy->shortcut().isEmpty());
}

QTEST_MAIN(CellCommandsTest)
#include "test_cell_commands.moc"
