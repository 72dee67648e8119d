// Loading a folder of 10,000 MP3 files (copies of the plain fixture with
// Japanese names) through the load engine, as the window's loader does,
// against the command line's parallel reader (`hozanki-cli list`) on the
// same folder. Reports files per second and the resident memory after the
// load (the rows are kept, as the window keeps them).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "core/catalogue/LoadEngine.h"
#include "core/catalogue/ParallelReader.h"

namespace {

namespace fs = std::filesystem;
using namespace hozanki;

constexpr int kFiles = 10'000;

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path dir = fs::temp_directory_path() / ("hozanki-bench-load-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    // The fixtures beside the sources (no build setting needed).
    const fs::path source = fs::path(__FILE__).parent_path().parent_path() / "tests/data/mp3/sjis_id3v2.mp3";
    for (int i = 0; i < kFiles; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "曲 %05d.mp3", i);
      fs::copy_file(source, dir / name, fs::copy_options::overwrite_existing);
    }
    return dir;
  }();
  return folder;
}

double ResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

void BM_LoadEngine(benchmark::State& state) {
  const fs::path& folder = Folder();
  size_t rows = 0;
  for (auto _ : state) {
    std::vector<MediaFileEntry> catalogue;
    catalogue.reserve(kFiles);
    LoadEngine engine(DefaultMediaReaders(), static_cast<unsigned>(state.range(0)));
    engine.Load({folder, false, std::nullopt}, [&](LoadBatch&& batch) {
      for (MediaFileEntry& e : batch.entries) catalogue.push_back(std::move(e));
    });
    rows = catalogue.size();
    state.counters["rss_MiB"] = ResidentMiB();
  }
  if (rows != static_cast<size_t>(kFiles)) state.SkipWithError("not every file was listed");
  state.counters["files_per_s"] =
      benchmark::Counter(double(kFiles) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadEngine)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What `hozanki-cli list` does: list, then read on two threads.
void BM_CliParallelReader(benchmark::State& state) {
  const fs::path& folder = Folder();
  for (auto _ : state) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) files.push_back(e.path().filename());
    std::vector<std::optional<MediaFileEntry>> rows(files.size());
    unsigned threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
    ReadMediaFiles(
        folder, files, threads,
        [&](size_t i, std::optional<MediaFileEntry>&& e, const std::string&) { rows[i] = std::move(e); });
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["files_per_s"] =
      benchmark::Counter(double(kFiles) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CliParallelReader)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(Folder(), ec);
  return 0;
}
