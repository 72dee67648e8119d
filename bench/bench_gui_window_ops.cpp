// The whole-table commands of the main window at N rows, triggered the way a
// user triggers them: key presses on the focused list, a click on a header,
// the context menu's items (their dialogs filled in and confirmed). Each time
// runs from the key press or the menu item until the event queue is empty
// again (the idle-time selection hand-over and the repaints included).
//
//   bench_gui_window_ops N [FOLDER]         one run over N generated files
//   bench_gui_window_ops --corpus N FOLDER  only writes the files
//
// The files are small MP3s with an ID3v2.3 title each ("曲 00000.mp3" ...),
// written into FOLDER (default: a new folder in the temporary folder,
// removed afterwards). Prints one line per command, in seconds, then the
// peak resident memory. With OPS=a,b,... only the named commands run (the
// steps they need first run untimed; OPS=load: only the load and the peak
// memory after it). The save (Ctrl+S of a cleared title
// column) changes the files, so it runs last and only with SAVE=1; with
// SHOT=FILE a picture of the window halfway through the save goes to FILE.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "BenchMedia.h"
#include "core/catalogue/LoadEngine.h"
#include "gui/app/FormMain.h"
#include "gui/tagedit/SaveTagWorker.h"

namespace {

using namespace hozanki;
namespace fs = std::filesystem;

// An ID3v2.3 tag with one title frame (ISO-8859-1), then a third of a second of
// silent MPEG frames (about 5 KB a file).
std::string TaggedMp3(const std::string& title, const std::string& audio) {
  std::string frame = "TIT2";
  const uint32_t body = static_cast<uint32_t>(title.size() + 1);
  for (int shift : {24, 16, 8, 0}) frame += static_cast<char>((body >> shift) & 0xFF);
  frame += std::string(2, '\0') + '\0' + title;
  const uint32_t size = static_cast<uint32_t>(frame.size() + 64);  // 64 bytes of padding
  std::string tag = "ID3";
  tag += '\3';
  tag += std::string(2, '\0');
  for (int shift : {21, 14, 7, 0}) tag += static_cast<char>((size >> shift) & 0x7F);
  return tag + frame + std::string(64, '\0') + audio;
}

void WriteCorpus(const fs::path& folder, int count) {
  fs::create_directories(folder);
  const std::string audio = bench::SilentMp3(12);  // about a third of a second
  for (int i = 0; i < count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "曲 %05d.mp3", i);
    std::ofstream(folder / name, std::ios::binary) << TaggedMp3("title " + std::to_string(i), audio);
  }
}

// Runs the event loop until nothing is left to do: the posted events, the
// zero timers (the idle-time hand-over) and the repaints.
void Drain(TFormMain& window) {
  for (int quiet = 0; quiet < 3;) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (window.SyncRequest() == 0 && !window.IsBusy())
      ++quiet;
    else
      quiet = 0;
  }
}

double Timed(TFormMain& window, const std::function<void()>& command) {
  QElapsedTimer clock;
  clock.start();
  command();
  Drain(window);
  return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

// When the next modal dialog opens: `fill` sets its fields, then its OK button is clicked.
void AnswerNextDialog(const std::function<void(QWidget*)>& fill) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, fill] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) return;
    poll->stop();
    poll->deleteLater();
    fill(dialog);
    if (auto* box = qobject_cast<QMessageBox*>(dialog))
      box->button(QMessageBox::Yes)->click();
    else if (auto* ok = dialog->findChild<QAbstractButton*>(QStringLiteral("ButtonOk")))
      ok->click();
  });
  poll->start();
}

void SetText(QWidget* dialog, const char* name, const QString& text) {
  if (auto* box = dialog->findChild<QComboBox*>(QLatin1String(name))) box->setEditText(text);
  if (auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(name))) edit->setText(text);
}

QAction* Item(TFormMain& window, const char* name) {
  return window.findChild<QAction*>(QLatin1String(name));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--corpus") {
    WriteCorpus(argv[3], std::stoi(argv[2]));
    return 0;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s N [FOLDER] | --corpus N FOLDER\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir config;
  qputenv("HOZANKI_CONFIG_DIR", config.path().toLocal8Bit());
  const int count = std::stoi(argv[1]);
  QTemporaryDir generated(QDir::tempPath() + QStringLiteral("/hozanki-window-ops-XXXXXX"));
  fs::path folder = argc >= 3 ? fs::path(argv[2]) : fs::path(generated.path().toStdString()) / "media";
  if (!fs::exists(folder)) WriteCorpus(folder, count);
  const QStringList only = qEnvironmentVariable("OPS").split(QLatin1Char(','), Qt::SkipEmptyParts);
  auto wanted = [&](const char* name) { return only.isEmpty() || only.contains(QLatin1String(name)); };
  TFormMain window;
  // What a command did: the rows with the changed mark in the ID3v2 table,
  // the selected rows, all rows.
  auto state = [&window] {
    const auto& rows = window.CatalogueData().Entries(MediaFormat::MP3);
    size_t changed = 0;
    for (const MediaFileEntry& e : rows)
      changed += e.tags.size() > 1 && e.tags[1].image == kChangedMark ? 1 : 0;
    size_t renamed = 0;
    for (const MediaFileEntry& e : rows) renamed += e.file.image == kChangedMark ? 1 : 0;
    std::string text = std::to_string(changed) + " changed, " + std::to_string(renamed) + " renamed / " +
                       std::to_string(rows.size()) + " rows";
    if (QWidget* modal = QApplication::activeModalWidget())
      text += ", open: " + modal->objectName().toStdString();
    return text;
  };
  auto report = [&state](const char* name, double seconds) {
    std::printf("%-14s %8.3f s   (%s)\n", name, seconds, state().c_str());
  };

  window.resize(1200, 900);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  QTest::qWaitFor([&] { return window.SyncRequest() != -1 && !window.IsBusy(); }, 30000);
  {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QObject::connect(&window.Session(), &FolderSession::WorkFinished, &loop, &QEventLoop::quit);
    window.Session().OpenFolder(LoadRequest{folder, false, std::nullopt});
    loop.exec();
    Drain(window);
    report("load", static_cast<double>(clock.nsecsElapsed()) / 1e9);
  }
  std::fflush(stdout);
  auto peak = [] {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
      if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0.0;
  };
  // OPS=load: the memory of the loaded window alone.
  if (only == QStringList{QStringLiteral("load")}) {
    std::printf("%-14s %8.0f MB\n", "peak", peak());
    return 0;
  }

  auto* tagPages = window.findChild<QTabWidget*>(QStringLiteral("PageControlT"));
  auto* table = qobject_cast<QTableView*>(tagPages->widget(static_cast<int>(TagKind::MP3ID3v2)));
  if (!table) {
    // The pages hold the tables inside a container.
    table = tagPages->widget(static_cast<int>(TagKind::MP3ID3v2))->findChild<QTableView*>();
  }
  tagPages->setCurrentIndex(static_cast<int>(TagKind::MP3ID3v2));
  Drain(window);
  // Into the first row of the ID3v2 table, then the title column as the edit column.
  table->setFocus(Qt::OtherFocusReason);
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                    table->visualRect(table->model()->index(0, 3)).center());
  Drain(window);
  auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
    return [&, k, modifiers] {
      table->setFocus(Qt::OtherFocusReason);
      QTest::keyClick(table, k, modifiers);
    };
  };
  auto popup = [&](const char* name) { return [&, name] { Item(window, name)->trigger(); }; };
  auto run = [&](const char* name, const std::function<void()>& command) {
    // A closed dialog may leave the window inactive: its shortcuts would not fire.
    if (!window.isActiveWindow()) {
      window.activateWindow();
      QTest::qWaitForWindowActive(&window);
    }
    const double seconds = Timed(window, command);
    if (wanted(name)) report(name, seconds);
    std::fflush(stdout);
  };

  // The title column: the one showing "title 0" in the first row.
  int titleColumn = 2;
  for (int c = 2; c < table->model()->columnCount(); ++c)
    if (table->model()->index(0, c).data().toString().startsWith(QLatin1String("title"))) titleColumn = c;
  run("edit-column", [&] {
    for (int i = 0; i < titleColumn; ++i) QTest::keyClick(table, Qt::Key_Right, Qt::ControlModifier);
  });
  run("select-all", key(Qt::Key_A, Qt::ControlModifier));
  run("copy", key(Qt::Key_C, Qt::ControlModifier));
  run("clear", key(Qt::Key_Delete));
  run("paste", key(Qt::Key_V, Qt::ControlModifier));
  run("undo", key(Qt::Key_Z, Qt::ControlModifier));
  if (wanted("set-all")) {
    AnswerNextDialog([](QWidget* dialog) { SetText(dialog, "EditSetAll", QStringLiteral("album")); });
    run("set-all", popup("PopupTSetAll"));
  }
  if (wanted("convert")) {
    QMenu* conversions = window.findChild<QMenu*>(QStringLiteral("PopupTConvert"));
    // "小文字 ⇒ 大文字".
    run("convert", [&] { conversions->actions().at(0)->menu()->actions().at(1)->trigger(); });
  }
  if (wanted("replace")) {
    AnswerNextDialog([](QWidget* dialog) {
      SetText(dialog, "ComboBoxRep1", QStringLiteral("title"));
      SetText(dialog, "ComboBoxRep2", QStringLiteral("TITLE"));
    });
    run("replace", popup("PopupTReplace"));
  }
  if (wanted("regexp")) {
    AnswerNextDialog(
        [](QWidget* dialog) { SetText(dialog, "ComboBoxReg", QStringLiteral("s/([0-9]+)/<$1>/")); });
    run("regexp", popup("PopupTRegexp"));
  }
  if (wanted("substr")) {
    AnswerNextDialog([](QWidget* dialog) {
      SetText(dialog, "Edit1", QStringLiteral("2"));
      SetText(dialog, "Edit2", QStringLiteral("5"));
    });
    run("substr", popup("PopupTSubstr"));
  }
  QHeaderView* header = table->horizontalHeader();
  auto headerClick = [&](int column, Qt::KeyboardModifiers modifiers) {
    return [&, column, modifiers] {
      const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                      header->height() / 2);
      QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, at);
    };
  };
  if (wanted("check-all")) {
    run("check-all", headerClick(0, {}));
    run("check-all-2", headerClick(0, {}));
  }
  if (wanted("sort")) run("sort", headerClick(3, Qt::ShiftModifier));
  if (wanted("page")) {
    run("page", key(Qt::Key_Tab, Qt::ControlModifier));
    run("page-back", key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier));
  }
  if (wanted("mode")) {
    run("mode-rename", key(Qt::Key_F5));
    if (!Item(window, "MenuFileModeR")->isChecked()) std::printf("(not in rename mode)\n");
    run("mode-tag", [&] { Item(window, "MenuFileModeT")->trigger(); });
  }
  if (wanted("rename-convert")) {
    // Rename mode: every file name through a conversion (the name-conflict
    // marks follow), then Ctrl+Z in the file list, back to tag edit mode.
    auto* filePages = window.findChild<QTabWidget*>(QStringLiteral("PageControlF"));
    auto* files = qobject_cast<QTableView*>(filePages->widget(static_cast<int>(MediaFormat::MP3)));
    QTest::keyClick(table, Qt::Key_F5);
    files->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(files, Qt::Key_A, Qt::ControlModifier);
    Drain(window);
    QMenu* conversions = window.findChild<QMenu*>(QStringLiteral("PopupRConvert"));
    // "半角 ⇒ 全角" on the names without their extension.
    run("rename-convert", [&] { conversions->actions().at(2)->menu()->actions().at(1)->trigger(); });
    run("rename-undo", [&] {
      files->setFocus(Qt::OtherFocusReason);
      QTest::keyClick(files, Qt::Key_Z, Qt::ControlModifier);
    });
    Item(window, "MenuFileModeT")->trigger();
    Drain(window);
  }
  // Every change of the table taken back: no edit column, Ctrl+Z.
  run("undo-all", [&] {
    table->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(table, Qt::Key_Escape);
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
  });
  if (wanted("exclude")) {
    // Every other row, then Shift+Del and "はい".
    auto* filePages = window.findChild<QTabWidget*>(QStringLiteral("PageControlF"));
    auto* files = qobject_cast<QTableView*>(filePages->widget(static_cast<int>(MediaFormat::MP3)));
    std::vector<int> odd;
    for (int r = 1; r < files->model()->rowCount(); r += 2) odd.push_back(r);
    QItemSelection rows;
    for (int r : odd) rows.select(files->model()->index(r, 0), files->model()->index(r, 0));
    files->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Drain(window);
    AnswerNextDialog([](QWidget*) {});
    run("exclude-half", key(Qt::Key_Delete, Qt::ShiftModifier));
  }
  if (qEnvironmentVariableIntValue("SAVE") == 1 && !wanted("exclude")) {
    // The title column again (the undo left none), every row, Delete.
    run("clear-again", [&] {
      table->setFocus(Qt::OtherFocusReason);
      for (int i = 0; i < titleColumn; ++i) QTest::keyClick(table, Qt::Key_Right, Qt::ControlModifier);
      QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(table, Qt::Key_Delete);
    });
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QObject::connect(&window.Session(), &FolderSession::SaveDone, &loop, &QEventLoop::quit);
    QTest::keyClick(table, Qt::Key_S, Qt::ControlModifier);
    // SHOT=FILE: a picture of the window halfway through the save.
    const QString shot = qEnvironmentVariable("SHOT");
    if (SaveTag* worker = window.Session().SaveWorker(); worker && !shot.isEmpty()) {
      const QString half = QStringLiteral("%1 /").arg(worker->Total() / 2);
      QObject::connect(worker, &SaveTag::Progress, &window, [&window, shot, half](const QString& count) {
        if (count.startsWith(half)) window.grab().save(shot);
      });
    }
    loop.exec();
    Drain(window);
    report("save", static_cast<double>(clock.nsecsElapsed()) / 1e9);
  }
  std::printf("%-14s %8.0f MB\n", "peak", peak());
  return 0;
}
