// The rename patterns, options and row drag controllers with a stand-in
// window: the pattern submenu kept up to date and a pattern applied to the
// selected names, options applied with the tools kept, rows dropped in the
// catalogue and selected in the file list.

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QtTest>
#include <array>
#include <memory>

#include "FakeWindowHost.h"
#include "GuiTestSupport.h"
#include "core/settings/AppSettings.h"
#include "gui/options/OptionCommands.h"
#include "gui/rename/RenamePatternCommands.h"
#include "gui/tagedit/TagRowDrag.h"

using namespace hozanki;

class FeatureControllersTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { AppSettings::Current() = AppSettings(); }
  void PatternSubmenuFollowsThePageAndTheStore();
  void PatternAppliesToSelectedNamesAndListsRefusals();
  void OptionsKeepTheToolsAndAreShownOnce();
  void DroppedRowsMoveAndStaySelectedInTheFileList();
};

namespace {

constexpr int kWavPage = static_cast<int>(MediaFormat::WAV);

RenamePattern TextPattern(const std::string& title, const std::string& text) {
  return {title, {PatternItem{kPatternTextCode, text}}};
}

struct RenameFixture {
  RenameFixture(int rows, const std::filesystem::path& settings) : fake(rows) {
    menu.addSeparator();
    menu.addAction(QStringLiteral("設定(&O)"));
    RenamePatternHost host;
    host.window = &fake.window;
    host.settingsFolder = settings;
    host.catalogue = [this]() -> Catalogue& { return fake.catalogue; };
    host.busy = [this] { return fake.busy; };
    host.filePage = [this] { return page; };
    host.fileList = [this](int) { return &fake.files; };
    host.closeEditor = [this] { ++editorCloses; };
    host.dropShortcuts = [] {};
    host.restoreShortcuts = [] {};
    host.patternMenu = &menu;
    patterns = new RenamePatternCommands(std::move(host), &fake.window);
  }
  QStringList Captions() const {
    QStringList out;
    for (QAction* item : menu.actions())
      if (!item->isSeparator()) out << item->text();
    return out;
  }
  std::string Name(int row) const {
    return test::EntryAt(fake.catalogue, MediaFormat::WAV, row).file.cells[0].text;
  }

  guitest::FakeWindow fake;
  QMenu menu;
  int page = kWavPage;
  int editorCloses = 0;
  RenamePatternCommands* patterns = nullptr;
};

}  // namespace

void FeatureControllersTest::PatternSubmenuFollowsThePageAndTheStore() {
  ScopedConfigDir dir;
  const std::filesystem::path settings = dir.path().toStdString();
  RenamePatternStore store;
  store[kWavPage] = {TextPattern("A&B", "x"), TextPattern("two", "y")};
  store[0] = {TextPattern("mp3 only", "z")};
  QVERIFY(SaveRenamePatterns(settings / kRenamePatternFileName, store));
  RenameFixture f(2, settings);
  f.patterns->LoadPatterns();
  QVERIFY(f.patterns->ReadError().empty());
  QCOMPARE(f.patterns->Patterns(), store);
  f.patterns->PopupRPopup();
  QCOMPARE(f.Captions(), (QStringList{"A&&B", "two", "設定(&O)"}));
  QCOMPARE(f.menu.actions()[1]->objectName(), QStringLiteral("PopupRFormItem1"));
  // Up to date: the entries are not made again, even on another page.
  QAction* first = f.menu.actions()[0];
  f.page = 0;
  f.patterns->PopupRPopup();
  QCOMPARE(f.menu.actions()[0], first);
  // Marked stale (as the window does when the rows are synchronised).
  f.patterns->MarkPatternMenuStale();
  f.patterns->PopupRPopup();
  QCOMPARE(f.Captions(), (QStringList{"mp3 only", "設定(&O)"}));
  // A new store: rebuilt on the next opening.
  store[0].push_back(TextPattern("more", "m"));
  f.patterns->ReplacePatterns(store);
  f.patterns->PopupRPopup();
  QCOMPARE(f.Captions(), (QStringList{"mp3 only", "more", "設定(&O)"}));
}

void FeatureControllersTest::PatternAppliesToSelectedNamesAndListsRefusals() {
  ScopedConfigDir dir;
  RenameFixture f(3, dir.path().toStdString());
  RenamePatternStore store;
  store[kWavPage] = {TextPattern("ok", "new"), TextPattern("bad", "a/b")};
  f.patterns->ReplacePatterns(store);
  f.fake.Select(f.fake.files, {1});
  f.fake.busy = true;
  f.patterns->PopupRFormClick(0);
  QCOMPARE(f.Name(1), std::string("f1.x"));
  QCOMPARE(f.editorCloses, 0);
  f.fake.busy = false;
  f.patterns->PopupRFormClick(0);
  QCOMPARE(f.editorCloses, 1);  // an open editor stores its text first
  QCOMPARE(f.Name(0), std::string("f0.x"));
  QCOMPARE(f.Name(1), std::string("new"));
  QCOMPARE(test::EntryAt(f.fake.catalogue, MediaFormat::WAV, 1).file.image, kChangedMark);
  QVERIFY(!f.fake.window.findChild<QMessageBox*>(QStringLiteral("FormRenameRefusals")));
  // None selected: every row; a name with "/" is refused and listed, not stored.
  f.fake.files.clearSelection();
  f.patterns->PopupRFormClick(1);
  QCOMPARE(f.fake.files.selectionModel()->selectedRows().size(), 3);
  for (int r : {0, 2}) QCOMPARE(f.Name(r), "f" + std::to_string(r) + ".x");
  auto* box = f.fake.window.findChild<QMessageBox*>(QStringLiteral("FormRenameRefusals"));
  QVERIFY(box);
  QVERIFY2(box->text().contains(QStringLiteral("次の 3 件")), qPrintable(box->text()));
  QVERIFY2(box->text().contains(QStringLiteral("f0.x → a/b（「/」を含みます）")), qPrintable(box->text()));
  f.patterns->PopupRFormClick(7);  // no such pattern: nothing
}

void FeatureControllersTest::OptionsKeepTheToolsAndAreShownOnce() {
  ScopedConfigDir dir;
  AppSettings::Current().tools = {{"tool", "/bin/tool", ""}};
  AppSettings::Current().memoSize = 40;
  std::vector<AppSettings> shown;
  OptionHost host;
  QWidget window;
  host.window = &window;
  host.settingsFolder = dir.path().toStdString();
  host.fontFamily = [] { return QStringLiteral("Sans"); };
  host.showOptions = [&shown](const AppSettings& options) { shown.push_back(options); };
  OptionCommands options(std::move(host), nullptr);
  AppSettings chosen;
  chosen.memoSize = 77;
  chosen.extProtect = true;
  chosen.tools = {{"other", "/bin/other", ""}};  // the dialog does not edit tools
  options.ApplyOptions(chosen);
  QCOMPARE(shown.size(), size_t{1});
  QCOMPARE(AppSettings::Current().memoSize, 77);
  QVERIFY(AppSettings::Current().extProtect);
  QCOMPARE(AppSettings::Current().tools.size(), size_t{1});
  QCOMPARE(AppSettings::Current().tools[0].name, std::string("tool"));
  QCOMPARE(shown[0].tools[0].name, std::string("tool"));
  QCOMPARE(shown[0].memoSize, 77);
}

void FeatureControllersTest::DroppedRowsMoveAndStaySelectedInTheFileList() {
  guitest::FakeWindow fake(4);
  // Every tag page gets a table; the WAV page is the fake's own.
  std::array<std::unique_ptr<QTableView>, kTagKindCount> others;
  const int wavTags = static_cast<int>(TagKind::WAV);
  for (int k = 0; k < kTagKindCount; ++k)
    if (k != wavTags) others[static_cast<size_t>(k)] = std::make_unique<QTableView>();
  bool busy = false;
  RowDragHost host;
  host.tagTable = [&](int page) {
    return page == wavTags ? &fake.tags : others[static_cast<size_t>(page)].get();
  };
  host.fileList = [&](int page) {
    if (page != kWavPage) qFatal("file list of page %d", page);
    return &fake.files;
  };
  host.catalogue = [&]() -> Catalogue& { return fake.catalogue; };
  host.busy = [&] { return busy; };
  host.firstRowOffset = [] { return 20; };
  host.rowPitch = [] { return 16; };
  TagRowDrag drag(std::move(host), nullptr);

  fake.Select(fake.tags, {2, 3});
  QVERIFY(drag.DropRows(wavTags, 0));
  std::vector<std::string> names;
  for (int r = 0; r < 4; ++r)
    names.push_back(test::EntryAt(fake.catalogue, MediaFormat::WAV, r).file.cells[0].text);
  QCOMPARE(names, (std::vector<std::string>{"f2.x", "f3.x", "f0.x", "f1.x"}));
  for (QTableView* view : {&fake.tags, &fake.files}) {
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    QCOMPARE(rows.size(), 2);
    QVERIFY(view->selectionModel()->isRowSelected(0) && view->selectionModel()->isRowSelected(1));
  }
  // Onto one of the moved rows themselves: nothing moves.
  QVERIFY(!drag.DropRows(wavTags, 1));
  // The edge zones scroll by the host's row pitch.
  fake.tags.resize(200, 200);
  QCOMPARE(drag.ScrollStep(&fake.tags, 27), -16);
  QCOMPARE(drag.ScrollStep(&fake.tags, 28), 0);
  QCOMPARE(drag.ScrollStep(&fake.tags, 190), 16);
}

QTEST_MAIN(FeatureControllersTest)
#include "test_feature_controllers.moc"
