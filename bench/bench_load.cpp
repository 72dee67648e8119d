// Loading a folder of 10,000 MP3 files (copies of the plain fixture with
// Japanese names) through the load engine, as the window's loader does,
// against the command line's parallel reader (`hozanki-cli list`) on the
// same folder. Reports files per second and the resident memory after the
// load (the rows are kept, as the window keeps them).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "BenchMedia.h"
#include "core/catalogue/LoadEngine.h"

namespace {

namespace fs = std::filesystem;
using namespace hozanki;
using namespace hozanki::bench;

constexpr int kFiles = 10'000;

const fs::path& Folder() {
  static const fs::path folder = TaggedFixtureFolder("load", kFiles);
  return folder;
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
    std::vector<std::optional<MediaFileEntry>> rows = ReadLikeCliList(folder);
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
