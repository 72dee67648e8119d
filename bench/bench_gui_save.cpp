// Saving 1,000 changed MP3 files from the main window: "保存(&S)" runs the
// `SaveTag` worker in the background while the GUI thread keeps turning.
// Reports files per second (save and re-read), how many progress updates
// reached the status bar, the longest stall of the GUI thread, and how long a
// cancel takes to end the save.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <string>

#include "BenchMedia.h"
#include "core/catalogue/LoadEngine.h"
#include "core/tagedit/SetCellValue.h"
#include "gui/app/FormMain.h"
#include "gui/tagedit/SaveTagWorker.h"

namespace {

using namespace hozanki;
namespace fs = std::filesystem;

constexpr int kFiles = 1000;

struct Fixture {
  QTemporaryDir config;
  QTemporaryDir media;
  std::unique_ptr<TFormMain> window;

  Fixture() {
    qputenv("HOZANKI_CONFIG_DIR", config.path().toLocal8Bit());
    const fs::path folder = media.path().toStdString();
    bench::WriteSilentMp3Files(folder, kFiles);
    window = std::make_unique<TFormMain>();
    // The start-up load first, then the generated folder.
    QEventLoop loop;
    QObject::connect(&window->Session(), &FolderSession::WorkFinished, &loop, &QEventLoop::quit);
    loop.exec();
    window->Session().OpenFolder(LoadRequest{folder, false, std::nullopt});
    loop.exec();
  }

  void Stage(int run) {
    const EditTarget title = EditTarget::TagColumn(TagKind::MP3ID3v2, 2);
    for (int i = 0; i < kFiles; ++i)
      SetCellValue(window->CatalogueData(), title, i, "run " + std::to_string(run) + " " + std::to_string(i));
  }

  QAction* Item(const char* name) { return window->findChild<QAction*>(QLatin1String(name)); }
};

// Made on first use, destroyed before the application object.
std::unique_ptr<Fixture> shared;
Fixture& Shared() {
  if (!shared) shared = std::make_unique<Fixture>();
  return *shared;
}

void BM_GuiSaveInBackground(benchmark::State& state) {
  Fixture& f = Shared();
  int run = 0;
  double progress = 0;
  qint64 maxStall = 0;
  for (auto _ : state) {
    state.PauseTiming();
    f.Stage(++run);
    state.ResumeTiming();
    QEventLoop loop;
    QObject::connect(&f.window->Session(), &FolderSession::SaveDone, &loop, &QEventLoop::quit);
    // A 5 ms ticker on the GUI thread: the gaps between its ticks show stalls.
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] { maxStall = std::max(maxStall, sinceTick.restart()); });
    f.Item("MenuFileSave")->trigger();
    if (auto* worker = f.window->Session().SaveWorker())
      QObject::connect(worker, &SaveTag::Progress, [&] { ++progress; });
    sinceTick.start();
    ticker.start();
    loop.exec();
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
  state.counters["progress_updates"] = benchmark::Counter(progress, benchmark::Counter::kAvgIterations);
  state.counters["max_gui_stall_ms"] = static_cast<double>(maxStall);
}
BENCHMARK(BM_GuiSaveInBackground)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Cancel after the 50th step: how long until the worker has stopped, and how
// many steps it took after the cancel (at most the file being saved).
void BM_GuiSaveCancel(benchmark::State& state) {
  Fixture& f = Shared();
  int run = 100;
  double latency = 0;
  double stepsAfter = 0;
  for (auto _ : state) {
    f.Stage(++run);
    QEventLoop loop;
    QObject::connect(&f.window->Session(), &FolderSession::SaveDone, &loop, &QEventLoop::quit);
    QElapsedTimer sinceCancel;
    int steps = 0;
    int stepsAtCancel = 0;
    f.Item("MenuFileSave")->trigger();
    auto* worker = f.window->Session().SaveWorker();
    QObject::connect(worker, &SaveTag::Progress, [&] {
      if (++steps != 50) return;
      stepsAtCancel = steps;
      sinceCancel.start();
      f.Item("MenuCancel")->trigger();
    });
    QObject::connect(worker, &SaveTag::Finished, [&](const SaveResultPtr& result) {
      latency += static_cast<double>(sinceCancel.nsecsElapsed()) / 1e6;
      stepsAfter += result->count - stepsAtCancel;
    });
    loop.exec();
  }
  state.counters["cancel_to_stop_ms"] = benchmark::Counter(latency, benchmark::Counter::kAvgIterations);
  state.counters["steps_after_cancel"] = benchmark::Counter(stepsAfter, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_GuiSaveCancel)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  shared.reset();
  return 0;
}
