// The tool commands with a stand-in window and a recording program starter:
// tool entries built from the settings and run on the selected files, the
// player or the desktop application, and the editor refused while busy.

#include <QAction>
#include <QMenu>
#include <QtTest>

#include "FakeWindowHost.h"
#include "GuiTestSupport.h"
#include "core/settings/AppSettings.h"
#include "core/tools/EditorExchange.h"
#include "gui/tools/ToolCommands.h"

using namespace hozanki;

class ToolCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { AppSettings::Current() = AppSettings(); }
  void ToolEntriesRunOnTheSelectedFilesInListOrder();
  void PlayerOrTheFocusedFileOpenedByTheDesktop();
  void EditorNotStartedWhileBusyOrWithoutAValueColumn();
  void ABarePlayerNameIsLookedUpOnPath();
};

namespace {

struct Fixture {
  explicit Fixture(int rows, const std::filesystem::path& settings) : fake(rows) {
    menu.addSeparator();
    menu.addAction(QStringLiteral("設定(&O)"));
    ToolHost host;
    host.window = &fake.window;
    host.settingsFolder = settings;
    host.catalogue = [this]() -> Catalogue& { return fake.catalogue; };
    host.currentFolder = [this] { return fake.folder; };
    host.busy = [this] { return fake.busy; };
    host.renameMode = [this] { return fake.rename; };
    host.filePage = [] { return static_cast<int>(MediaFormat::WAV); };
    host.fileList = [this](int page) {
      if (page != static_cast<int>(MediaFormat::WAV)) qFatal("wrong file page %d", page);
      return &fake.files;
    };
    host.activeView = [this](bool fileList) { return fileList ? &fake.files : &fake.tags; };
    host.target = [this](bool fileList) { return fake.Target(fileList); };
    host.toolMenu = &menu;
    tools = new ToolCommands(std::move(host), &fake.window);
    ProgramStarter starter;
    starter.start = [this](const ProgramCall& call) {
      started.push_back(call);
      return true;
    };
    starter.open = [this](const std::filesystem::path& path) {
      opened << QString::fromStdString(path.native());
      return true;
    };
    tools->SetProgramStarter(std::move(starter));
  }

  guitest::FakeWindow fake;
  QMenu menu;
  ToolCommands* tools = nullptr;
  std::vector<ProgramCall> started;
  QStringList opened;
};

}  // namespace

void ToolCommandsTest::ToolEntriesRunOnTheSelectedFilesInListOrder() {
  ScopedConfigDir dir;
  AppSettings::Current().tools = {{"one", "/bin/one", "-a \"b c\""}, {"two", "/bin/two", ""}};
  Fixture f(3, dir.path().toStdString());
  f.tools->AddToolItems();
  const QList<QAction*> items = f.menu.actions();
  QCOMPARE(items.size(), 4);
  QCOMPARE(items[0]->text(), QStringLiteral("one"));
  QCOMPARE(items[0]->objectName(), QStringLiteral("PopupFToolItem0"));
  QCOMPARE(items[1]->text(), QStringLiteral("two"));
  QVERIFY(items[2]->isSeparator());

  f.fake.Select(f.fake.files, {2, 0});
  items[0]->trigger();
  QCOMPARE(f.started.size(), size_t{1});
  QCOMPARE(f.started[0], (ProgramCall{"/bin/one", {"-a", "b c", "/music/f0.x", "/music/f2.x"}}));
  QCOMPARE(f.tools->SelectedFileNames(static_cast<int>(MediaFormat::WAV)),
           (std::vector<std::string>{"f0.x", "f2.x"}));
  f.fake.files.clearSelection();
  items[1]->trigger();
  QCOMPARE(f.started.back(), (ProgramCall{"/bin/two", {}}));
  QVERIFY(f.opened.isEmpty());
}

void ToolCommandsTest::PlayerOrTheFocusedFileOpenedByTheDesktop() {
  ScopedConfigDir dir;
  Fixture f(3, dir.path().toStdString());
  const size_t wav = static_cast<size_t>(MediaFormat::WAV);
  AppSettings::Current().player[wav] = "/bin/sh";  // exists
  AppSettings::Current().playerPrm[wav] = "--play";
  f.fake.Select(f.fake.files, {1});
  f.fake.files.selectionModel()->setCurrentIndex(f.fake.fileModel.index(2, 0), QItemSelectionModel::NoUpdate);
  f.tools->PopupFPlayClick();
  QCOMPARE(f.started.size(), size_t{1});
  QCOMPARE(f.started[0], (ProgramCall{"/bin/sh", {"--play", "/music/f1.x"}}));
  // A player that is not there: the focused file, not the selected one.
  AppSettings::Current().player[wav] = "/no/such/player";
  f.tools->PopupFPlayClick();
  QCOMPARE(f.opened, QStringList{QStringLiteral("/music/f2.x")});
  f.fake.files.setCurrentIndex(QModelIndex());
  f.tools->PopupFPlayClick();
  QCOMPARE(f.opened.size(), 1);
  QCOMPARE(f.started.size(), size_t{1});
}

void ToolCommandsTest::EditorNotStartedWhileBusyOrWithoutAValueColumn() {
  ScopedConfigDir dir;
  const std::filesystem::path settings = dir.path().toStdString();
  Fixture f(2, settings);
  AppSettings::Current().editor = "/no/such/editor";
  f.fake.busy = true;
  f.tools->PopupEditorClick();
  QVERIFY(!std::filesystem::exists(settings / kExchangeFileName));
  f.fake.busy = false;
  f.fake.editColumn = 1;  // the relative name: not a value
  f.tools->PopupEditorClick();
  QVERIFY(!std::filesystem::exists(settings / kExchangeFileName));
  QVERIFY(!f.tools->EditorRunning());
}

void ToolCommandsTest::ABarePlayerNameIsLookedUpOnPath() {
  ScopedConfigDir dir;
  const size_t wav = static_cast<size_t>(MediaFormat::WAV);
  struct Case {
    std::string player;
    bool started;  // else the focused file opens by the desktop
  };
  const Case cases[] = {
      {"sh", true},                       // on PATH
      {"/bin/sh", true},                  // a path
      {"no-such-player-anywhere", false},  // not on PATH
      {"/tmp", false},                     // a folder
      {"", false},
  };
  for (const Case& c : cases) {
    Fixture f(3, dir.path().toStdString());
    AppSettings::Current().player[wav] = c.player;
    f.fake.Select(f.fake.files, {1});
    f.fake.files.selectionModel()->setCurrentIndex(f.fake.fileModel.index(1, 0), QItemSelectionModel::NoUpdate);
    f.tools->PopupFPlayClick();
    QVERIFY2(f.started.size() == (c.started ? 1u : 0u), c.player.c_str());
    QVERIFY2(f.opened.size() == (c.started ? 0 : 1), c.player.c_str());
    if (c.started) QCOMPARE(f.started[0], (ProgramCall{c.player, {"/music/f1.x"}}));
  }
}

QTEST_MAIN(ToolCommandsTest)
#include "test_tool_commands.moc"
