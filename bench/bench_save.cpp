// Saving 1,000 changed MP3 files (generated in a temporary folder): the save
// engine's rename-free write step, files per second. Each file gets a new
// ID3v2 title and artist per run; ID3v1 is written too.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchMedia.h"
#include "core/catalogue/Catalogue.h"
#include "core/catalogue/MediaReader.h"
#include "core/tagedit/SaveEngine.h"
#include "core/tagedit/SetCellValue.h"

namespace {

using namespace hozanki;
namespace fs = std::filesystem;

constexpr int kFiles = 1000;

struct SaveFixture {
  fs::path folder;
  Catalogue catalogue;

  SaveFixture() {
    folder = bench::BenchFolder("save");
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<MediaFileEntry> entries;
    for (const std::string& name : bench::WriteSilentMp3Files(folder, kFiles)) {
      std::optional<MediaFileEntry> entry = ReadMediaFile(folder, name);
      if (!entry) throw std::runtime_error("generated file is not read as MP3");
      entries.push_back(std::move(*entry));
    }
    catalogue.Append(MediaFormat::MP3, std::move(entries));
  }
  ~SaveFixture() { fs::remove_all(folder); }
};

void BM_SaveChangedMp3(benchmark::State& state) {
  SaveFixture fixture;
  WriteSettings settings;
  int run = 0;
  int64_t files = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string title = "タイトル run " + std::to_string(++run);
    for (int row = 0; row < kFiles; ++row) {
      SetCellValue(fixture.catalogue, EditTarget::TagColumn(TagKind::MP3ID3v2, 1), row,
                   "アーティスト " + title, ValueSource::Other, false);
      SetCellValue(fixture.catalogue, EditTarget::TagColumn(TagKind::MP3ID3v2, 2), row, title,
                   ValueSource::Other, false);
      SetCellValue(fixture.catalogue, EditTarget::TagColumn(TagKind::MP3ID3v1, 2), row,
                   "run " + std::to_string(run), ValueSource::Other, false);
    }
    state.ResumeTiming();
    SaveEngine engine(CollectSavePlan(fixture.catalogue, fixture.folder, settings));
    SaveResult result = engine.Run();
    if (result.FailedFiles() != 0) state.SkipWithError("some files were not written");
    files += static_cast<int64_t>(result.rows.size());
  }
  state.counters["files_per_second"] =
      benchmark::Counter(static_cast<double>(files), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SaveChangedMp3)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
