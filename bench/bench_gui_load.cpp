// Loading 10,000 MP3 files into the window's models, headless: the load
// worker's batches are appended to the catalogue on the GUI thread, where the
// eight file-list models and eleven tag-table models observe it. Reports
// files per second, resident memory, the longest stall of the GUI thread
// during the load (a 5 ms timer stands in for repainting) and how long a
// cancel takes to end the load. The command line's reader on the same
// folder is the yardstick (goal: the window within 1.3x of it).

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "BenchMedia.h"
#include "core/catalogue/Catalogue.h"
#include "gui/app/FormMain.h"
#include "gui/catalogue/FileListModel.h"
#include "gui/catalogue/FileLoadWorker.h"
#include "gui/tagedit/TagTableModel.h"

namespace {

namespace fs = std::filesystem;
using namespace hozanki;
using namespace hozanki::bench;

constexpr int kFiles = 10'000;

const fs::path& Folder() {
  static const fs::path folder = TaggedFixtureFolder("gui-load", kFiles);
  return folder;
}

// The window's data side: the catalogue and the nineteen models over it.
struct WindowModels {
  Catalogue catalogue;
  std::vector<std::unique_ptr<QAbstractItemModel>> models;
  WindowModels() {
    for (int f = 0; f < kFormatCount; ++f)
      models.push_back(std::make_unique<FileListModel>(&catalogue, static_cast<MediaFormat>(f)));
    for (int t = 0; t < kTagKindCount; ++t)
      models.push_back(std::make_unique<TagTableModel>(&catalogue, static_cast<TagKind>(t)));
  }
  void Append(LoadBatch& batch) {
    std::vector<MediaFileEntry>& rows = batch.entries;
    for (size_t i = 0; i < rows.size();) {
      size_t j = i;
      while (j < rows.size() && rows[j].format == rows[i].format) ++j;
      std::vector<MediaFileEntry> group(std::make_move_iterator(rows.begin() + static_cast<long>(i)),
                                        std::make_move_iterator(rows.begin() + static_cast<long>(j)));
      catalogue.Append(rows[i].format, std::move(group));
      i = j;
    }
  }
};

struct LoadRun {
  qint64 maxStallMs = 0;
  qint64 cancelMs = -1;
  int rows = 0;
};

// Loads the folder into fresh models; with cancelAfterMs >= 0 cancels then.
LoadRun RunLoad(WindowModels& window, int cancelAfterMs) {
  LoadRun run;
  FileLoadWorker worker(LoadRequest{Folder(), false, std::nullopt});
  QEventLoop loop;
  QElapsedTimer sinceTick, sinceCancel;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout,
                   [&] { run.maxStallMs = std::max(run.maxStallMs, sinceTick.restart()); });
  QObject::connect(&worker, &FileLoadWorker::BatchReady, [&](LoadBatchPtr batch) { window.Append(*batch); });
  QObject::connect(&worker, &FileLoadWorker::Finished, [&] {
    if (sinceCancel.isValid()) run.cancelMs = sinceCancel.elapsed();  // -1: done before the cancel
    loop.quit();
  });
  if (cancelAfterMs >= 0)
    QTimer::singleShot(cancelAfterMs, &ticker, [&] {  // dropped with the ticker if the load ends first
      sinceCancel.start();
      worker.Cancel();
    });
  sinceTick.start();
  ticker.start();
  worker.Start();
  loop.exec();
  run.rows = window.catalogue.TotalCount();
  return run;
}

void BM_WindowLoad(benchmark::State& state) {
  Folder();
  LoadRun run;
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<WindowModels>();
    state.ResumeTiming();
    run = RunLoad(*window, -1);
    state.counters["rss_MiB"] = ResidentMiB();
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
  if (run.rows != kFiles) state.SkipWithError("not every file was listed");
  state.counters["files_per_s"] =
      benchmark::Counter(double(kFiles) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["max_gui_stall_ms"] = double(run.maxStallMs);
}
BENCHMARK(BM_WindowLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowLoadCancel(benchmark::State& state) {
  Folder();
  LoadRun run;
  for (auto _ : state) {
    WindowModels window;
    run = RunLoad(window, 200);
  }
  state.counters["cancel_ms"] = double(run.cancelMs);
  state.counters["rows_kept"] = run.rows;
}
BENCHMARK(BM_WindowLoadCancel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The real window: settings in a folder of their own that remembers an empty
// folder, so the first idle moment loads nothing.
std::unique_ptr<TFormMain> MakeMainWindow() {
  static const fs::path config = [] {
    fs::path dir = BenchFolder("gui-config");
    fs::create_directories(dir / "empty");
    std::ofstream(dir / "NR284.ini") << "[Window]\r\nDir=" << (dir / "empty").string() << "\r\n";
    return dir;
  }();
  qputenv("HOZANKI_CONFIG_DIR", QByteArray::fromStdString(config.string()));
  auto window = std::make_unique<TFormMain>();
  window->show();
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (window->SyncRequest() != -1 && !window->IsBusy()) loop.quit();
  });
  poll.start(1);
  loop.exec();
  return window;
}

LoadRun RunMainWindowLoad(TFormMain& window, int cancelAfterMs) {
  LoadRun run;
  QEventLoop loop;
  QElapsedTimer sinceTick, sinceCancel;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout,
                   [&] { run.maxStallMs = std::max(run.maxStallMs, sinceTick.restart()); });
  QMetaObject::Connection done = QObject::connect(&window.Session(), &FolderSession::WorkFinished, [&] {
    if (sinceCancel.isValid()) run.cancelMs = sinceCancel.elapsed();  // -1: done before the cancel
    loop.quit();
  });
  if (cancelAfterMs >= 0)
    QTimer::singleShot(cancelAfterMs, &ticker, [&] {  // dropped with the ticker if the load ends first
      sinceCancel.start();
      window.findChild<QAction*>(QStringLiteral("MenuCancel"))->trigger();
    });
  sinceTick.start();
  ticker.start();
  window.Session().OpenFolder(LoadRequest{Folder(), false, std::nullopt});
  loop.exec();
  QObject::disconnect(done);
  run.rows = window.CatalogueData().TotalCount();
  return run;
}

void BM_MainWindowLoad(benchmark::State& state) {
  Folder();
  std::unique_ptr<TFormMain> window = MakeMainWindow();
  LoadRun run;
  for (auto _ : state) {
    run = RunMainWindowLoad(*window, -1);
    state.counters["rss_MiB"] = ResidentMiB();
  }
  if (run.rows != kFiles) state.SkipWithError("not every file was listed");
  state.counters["files_per_s"] =
      benchmark::Counter(double(kFiles) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["max_gui_stall_ms"] = double(run.maxStallMs);
}
BENCHMARK(BM_MainWindowLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MainWindowCancel(benchmark::State& state) {
  Folder();
  std::unique_ptr<TFormMain> window = MakeMainWindow();
  LoadRun run;
  for (auto _ : state) run = RunMainWindowLoad(*window, 150);
  state.counters["cancel_ms"] = double(run.cancelMs);
  state.counters["rows_kept"] = run.rows;
}
BENCHMARK(BM_MainWindowCancel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// `hozanki-cli list`'s reading: list, then two reader threads, no models.
void BM_CliReader(benchmark::State& state) {
  const fs::path& folder = Folder();
  for (auto _ : state) {
    std::vector<std::optional<MediaFileEntry>> rows = ReadLikeCliList(folder);
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["files_per_s"] =
      benchmark::Counter(double(kFiles) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CliReader)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(Folder(), ec);
  fs::remove_all(BenchFolder("gui-config"), ec);
  return 0;
}
