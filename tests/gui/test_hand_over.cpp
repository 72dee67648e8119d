// Later starts and the external editor, on the real window: a hand-over is
// never opened inside the local socket's handler nor inside another
// question; while the editor is waited for, hand-overs wait and drops are
// refused, so the editor's lines go back to the folder they came from; the
// wait can be stopped (the file is then ignored); terminal editors run in
// the terminal emulator.

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QtTest>
#include <atomic>
#include <functional>
#include <thread>

#include "GuiTestSupport.h"
#include "MainWindowTestSupport.h"
#include "core/settings/AppSettings.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/StartUp.h"
#include "gui/catalogue/SingleInstance.h"
#include "gui/options/FormOption.h"
#include "gui/tagedit/TagTableController.h"
#include "gui/tools/DefaultEditor.h"
#include "gui/tools/ToolCommands.h"

using namespace hozanki;
using namespace testsupport;

namespace {

using guitest::WriteEditorSetting;
using guitest::WriteScript;

constexpr TagKind V2 = TagKind::MP3ID3v2;

QString UniqueName() {
  return QStringLiteral("hozanki-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

// A later start, on a thread of its own: it waits for the running instance's
// answer, which the GUI thread gives.
class LaterStart {
 public:
  LaterStart(const QString& name, std::vector<fs::path> paths)
      : thread_([this, name, paths] {
          delivered_ = SingleInstance::SendPathList(name, paths);
          finished_ = true;
        }) {}
  ~LaterStart() {
    if (thread_.joinable()) thread_.join();
  }
  // Waits (handling events) until it has ended; whether it was taken.
  bool Ended() {
    if (!QTest::qWaitFor([this] { return finished_.load(); }, 10000)) return false;
    thread_.join();
    return delivered_;
  }

 private:
  std::atomic<bool> delivered_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

QMessageBox* Question() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  return box && box->objectName() == QStringLiteral("UnsavedChangesQuestion") ? box : nullptr;
}

// Runs `handler` once for each question box that appears (they are modal:
// the handler runs inside their event loop).
class QuestionWatch : public QObject {
 public:
  explicit QuestionWatch(std::function<void(QMessageBox*, int)> handler) : handler_(std::move(handler)) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      QMessageBox* box = Question();
      if (!box || box == handled_) return;
      handled_ = box;
      const int n = count_++;
      handler_(box, n);
    });
    timer_.start(20);
  }
  int Count() const { return count_; }

 private:
  std::function<void(QMessageBox*, int)> handler_;
  QTimer timer_;
  QPointer<QMessageBox> handled_;
  int count_ = 0;
};

void Click(QWidget* box, const char* button) {
  auto* b = box->findChild<QPushButton*>(QLatin1String(button));
  if (!b) qFatal("no button %s", button);
  b->click();
}

QWidget* EditorWaitMessage() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QStringLiteral("EditorWait") && w->isVisible()) return w;
  return nullptr;
}

const std::string& TitleAt(TFormMain& w, int row) {
  const auto& rows = w.CatalogueData().Entries(MediaFormat::MP3);
  return TagOf(rows.at(static_cast<size_t>(row)), V2).cells.at(static_cast<size_t>(SubItemOf(V2, "INAM"))).text;
}

// The title column of the MP3 ID3v2 page as the edit column, all rows selected.
void PrepareEditor(TFormMain& w) {
  w.findChild<QTabWidget*>(QStringLiteral("PageControlT"))->setCurrentIndex(1);
  w.Tables().SetEditColumn(1, SubItemOf(V2, "INAM") + 1);
  w.TagTable(1)->selectAll();
}

// A shown window with one MP3 file loaded, ready for the external editor.
struct EditorWindow {
  EditorWindow() {
    folder.Copy("mp3/plain.mp3", "a1.mp3");
    w.show();
    LoadInto(w, folder.Path());
    PrepareEditor(w);
  }
  MediaFolder folder;
  TFormMain w;
};

// Environment variables set for one test and put back after it.
class ScopedEnv {
 public:
  void Set(const char* name, const QByteArray& value) {
    saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
    qputenv(name, value);
  }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
      it->wasSet ? qputenv(it->name, it->value) : qunsetenv(it->name);
  }

 private:
  struct Saved {
    const char* name;
    QByteArray value;
    bool wasSet;
  };
  std::vector<Saved> saved_;
};

}  // namespace

class HandOverTest : public QObject {
  Q_OBJECT

 private slots:
  void HandOverAsksOutsideTheSocketAndKeepsTheEditOnCancel();
  void WhileTheEditorRunsHandOversWaitAndDropsAreRefused();
  void StoppingTheWaitIgnoresTheEditorsFile();
  void TerminalEditorsRunInTheTerminalEmulator();
  void DefaultEditorNeverATerminalEntry();

 private:
  QTemporaryDir scripts_{QDir::tempPath() + QStringLiteral("/hozanki hand-over-XXXXXX")};
};

void HandOverTest::HandOverAsksOutsideTheSocketAndKeepsTheEditOnCancel() {
  ScopedConfigDir config;
  MediaFolder a, b;
  a.Copy("mp3/plain.mp3", "a1.mp3");
  b.Copy("mp3/plain.mp3", "b1.mp3");
  TFormMain w;
  w.show();
  LoadInto(w, a.Path());
  QVERIFY(SetCellValue(w.CatalogueData(), EditTarget::TagColumn(V2, SubItemOf(V2, "INAM")), 0, "staged"));
  const QString name = UniqueName();
  SingleInstance instance(name);
  QVERIFY(!instance.HandOffOrListen({}));
  AcceptHandOvers(instance, w);

  bool secondWaited = false;
  QuestionWatch watch([&](QMessageBox* box, int n) {
    if (n == 0) {
      // The later start has its answer and goes; its socket closes while the
      // question is still open.
      QTest::qWait(300);
      // Another start during the question: it waits, no question inside this one.
      LaterStart second(name, {b.Path() / "b1.mp3"});
      QVERIFY(second.Ended());
      QTest::qWait(400);
      secondWaited = QApplication::activeModalWidget() == box && w.CurrentFolder() == a.Path();
    }
    Click(box, "ButtonCancel");
  });
  LaterStart first(name, {b.Path() / "b1.mp3"});
  QVERIFY(first.Ended());
  // The first question, then the waiting hand-over's own one, both cancelled.
  QTRY_VERIFY_WITH_TIMEOUT(watch.Count() == 2 && !Question(), 20000);
  QVERIFY(secondWaited);
  QTest::qWait(300);
  QCOMPARE(watch.Count(), 2);
  QCOMPARE(w.CurrentFolder(), a.Path());
  QCOMPARE(TitleAt(w, 0), std::string("staged"));
  QVERIFY(w.Session().HasStagedEdits());
}

void HandOverTest::WhileTheEditorRunsHandOversWaitAndDropsAreRefused() {
  ScopedConfigDir config;
  const QString flag = scripts_.path() + QStringLiteral("/go-1");
  const QString editor = scripts_.path() + QStringLiteral("/waiting editor.sh");
  WriteScript(editor, "while [ ! -e '" + flag.toUtf8() + "' ]; do sleep 0.05; done\n"
                      "sed -i '1s/.*/FROM EDITOR\\r/' \"$1\"\n");
  WriteEditorSetting(config.path(), editor);
  MediaFolder a, b;
  a.Copy("mp3/plain.mp3", "a1.mp3");
  a.Copy("mp3/plain.mp3", "a2.mp3");
  b.Copy("mp3/plain.mp3", "b1.mp3");
  TFormMain w;
  w.show();
  LoadInto(w, a.Path());
  const QString name = UniqueName();
  SingleInstance instance(name);
  QVERIFY(!instance.HandOffOrListen({}));
  AcceptHandOvers(instance, w);
  PrepareEditor(w);

  bool checked = false, waitShown = false, dropTaken = true, keptFolder = false;
  QTimer probe;
  connect(&probe, &QTimer::timeout, this, [&] {
    if (checked || !w.Tools().EditorRunning()) return;
    checked = true;
    waitShown = EditorWaitMessage() != nullptr;
    LaterStart later(name, {b.Path() / "b1.mp3"});
    QVERIFY(later.Ended());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((b.Path() / "b1.mp3").string()))});
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    dropTaken = drop.isAccepted();
    QTest::qWait(400);
    keptFolder = w.CurrentFolder() == a.Path() && !Question() && !w.IsBusy();
    QFile(flag).open(QIODevice::WriteOnly);
  });
  probe.start(20);
  int questions = 0;
  QuestionWatch watch([&](QMessageBox* box, int) {
    ++questions;
    // The editor's line is in folder A's first row when the hand-over asks.
    QCOMPARE(w.CurrentFolder(), a.Path());
    QCOMPARE(TitleAt(w, 0), std::string("FROM EDITOR"));
    Click(box, "ButtonDiscard");
  });
  Action(w, "MenuEditEditor")->trigger();
  probe.stop();
  QVERIFY(checked);
  QVERIFY(waitShown);
  QVERIFY(!dropTaken);
  QVERIFY(keptFolder);
  QVERIFY(!EditorWaitMessage());
  // Once the editor has returned, the waiting hand-over opens folder B.
  QTRY_VERIFY_WITH_TIMEOUT(w.CurrentFolder() == b.Path() && !w.IsBusy(), 20000);
  QCOMPARE(questions, 1);
  QCOMPARE(w.CatalogueData().RowCount(MediaFormat::MP3), 1);
  QVERIFY(!w.Session().HasStagedEdits());
}

void HandOverTest::StoppingTheWaitIgnoresTheEditorsFile() {
  ScopedConfigDir config;
  const QString flag = scripts_.path() + QStringLiteral("/go-2");
  const QString done = scripts_.path() + QStringLiteral("/done-2");
  const QString editor = scripts_.path() + QStringLiteral("/slow editor.sh");
  WriteScript(editor, "while [ ! -e '" + flag.toUtf8() + "' ]; do sleep 0.05; done\n"
                      "sed -i '1s/.*/TOO LATE\\r/' \"$1\"\ntouch '" + done.toUtf8() + "'\n");
  WriteEditorSetting(config.path(), editor);
  EditorWindow window;
  TFormMain& w = window.w;
  const std::string before = TitleAt(w, 0);
  QTimer probe;
  bool stopped = false;
  connect(&probe, &QTimer::timeout, this, [&] {
    QWidget* wait = EditorWaitMessage();
    if (stopped || !wait) return;
    stopped = true;
    Click(wait, "ButtonStopWaiting");
  });
  probe.start(20);
  Action(w, "MenuEditEditor")->trigger();
  probe.stop();
  QVERIFY(stopped);
  QVERIFY(w.isEnabled());
  QVERIFY(!w.Tools().EditorRunning());
  // The editor still runs; what it writes later is not taken.
  QFile(flag).open(QIODevice::WriteOnly);
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(done), 10000);
  QTest::qWait(200);
  QCOMPARE(TitleAt(w, 0), before);
  QVERIFY(!w.Session().HasStagedEdits());
}

void HandOverTest::TerminalEditorsRunInTheTerminalEmulator() {
  ScopedConfigDir config;
  ScopedEnv env;
  QTemporaryDir data;
  const QString editor = scripts_.path() + QStringLiteral("/console-ed");
  WriteScript(editor, "sed -i '1s/.*/TYPED IN A TERMINAL\\r/' \"$1\"\n");
  // The desktop entry says the editor needs a terminal.
  QVERIFY(QDir().mkpath(data.path() + QStringLiteral("/applications")));
  QFile entry(data.path() + QStringLiteral("/applications/hozanki-test-console-ed.desktop"));
  QVERIFY(entry.open(QIODevice::WriteOnly));
  entry.write("[Desktop Entry]\nType=Application\nName=Console ed\nExec=\"" + editor.toUtf8() +
              "\" %F\nTerminal=true\n");
  entry.close();
  env.Set("XDG_DATA_HOME", data.path().toUtf8());
  // The desktop's terminal: records its arguments, then runs the command after -e.
  const QString terminal = scripts_.path() + QStringLiteral("/term");
  const QString record = scripts_.path() + QStringLiteral("/term-args");
  WriteScript(terminal, "printf '%s\\n' \"$@\" > '" + record.toUtf8() + "'\n[ \"$1\" = -e ] && shift\nexec \"$@\"\n");
  env.Set("TERMINAL", terminal.toUtf8());

  // The options dialog shows what will run, the terminal included.
  OptionDialogs dialogs;
  dialogs.defaultEditor = [editor] { return editor; };
  AppSettings fresh;  // "Notepad.exe"
  TFormOption options(fresh, QStringLiteral("F"), config.path().toStdString(), dialogs);
  QCOMPARE(options.LabeledEditEditor->text(), editor);
  QVERIFY2(options.LabelEditorCommand->text().contains(terminal + QStringLiteral(" -e ") + editor),
           qPrintable(options.LabelEditorCommand->text()));

  WriteEditorSetting(config.path(), editor);
  EditorWindow window;
  TFormMain& w = window.w;
  Action(w, "MenuEditEditor")->trigger();
  QCOMPARE(TitleAt(w, 0), std::string("TYPED IN A TERMINAL"));
  QFile args(record);
  QVERIFY(args.open(QIODevice::ReadOnly));
  const QString exchange = config.path() + QStringLiteral("/~NR284~.txt");
  QCOMPARE(QString::fromUtf8(args.readAll()), QStringLiteral("-e\n") + editor + QLatin1Char('\n') + exchange + QLatin1Char('\n'));
}

void HandOverTest::DefaultEditorNeverATerminalEntry() {
  struct Case {
    const char* entry;
    std::vector<std::string> command;  // empty: skipped
  };
  const Case cases[] = {
      {"[Desktop Entry]\nExec=vim %F\nTerminal=true\n", {}},
      {"[Desktop Entry]\nExec=nano %F\nTerminal = true\n", {}},
      {"[Desktop Entry]\nExec=gedit %U\nTerminal=false\n", {"gedit"}},
      {"[Desktop Entry]\nExec=\"/opt/my ed\" --new %F\n", {"/opt/my ed", "--new"}},
      {"[Desktop Entry]\nName=no exec\n", {}},
  };
  for (const Case& c : cases)
    QCOMPARE(WindowEditorOfEntry(c.entry).value_or(std::vector<std::string>{}), c.command);
  // Console editors are run in a terminal even without an entry.
  QVERIFY(IsTerminalProgram("/usr/bin/vim"));
  QVERIFY(IsTerminalProgram("/usr/bin/nano"));
  QVERIFY(!IsTerminalProgram("/bin/true"));
}

QTEST_MAIN(HandOverTest)
#include "test_hand_over.moc"
