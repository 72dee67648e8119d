// Generating a list of 100,000 picked files through an eight-row template
// with a loop block, one substring row and one regular-expression row.

#include <benchmark/benchmark.h>

#include "BenchTemplates.h"
#include "core/listout/ListEngine.h"
#include "core/listout/ListOutput.h"
#include "core/listout/PickedFile.h"

namespace hozanki {
namespace {

std::vector<PickedFile> MakeFiles(int count) {
  std::vector<PickedFile> files(count);
  for (int i = 0; i < count; ++i) {
    PickedFile& f = files[i];
    f.file[1] = "/home/user/音楽/アーティスト " + std::to_string(i % 500) + "/アルバム " +
                std::to_string(i % 37) + "/";
    f.file[2] = std::to_string(i) + " 曲名のファイル.mp3";
    f.file[3] = "4,123,456";
    f.seconds = 180 + i % 120;
    f.file[5] = FormatPlayTime(f.seconds);
    f.tag[0] = "Artist  Name  " + std::to_string(i % 500);
    f.tag[4] = "タイトル Title number " + std::to_string(i);
  }
  return files;
}


void BM_GenerateList(benchmark::State& state) {
  std::vector<PickedFile> files = MakeFiles(static_cast<int>(state.range(0)));
  const ListTotals totals = UpdateListTotals(files);
  size_t lines = 0;
  for (auto _ : state) {
    ListEngine engine(files, totals, {});
    lines = engine.Generate(bench::EightRowTemplate(), 0).size();
    benchmark::DoNotOptimize(lines);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_GenerateList)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_GenerateAndEncodeShiftJis(benchmark::State& state) {
  std::vector<PickedFile> files = MakeFiles(static_cast<int>(state.range(0)));
  const ListTotals totals = UpdateListTotals(files);
  std::string bytes;
  for (auto _ : state) {
    ListEngine engine(files, totals, {});
    const std::vector<std::string> lines =
        SplitPreviewLines(JoinPreviewLines(engine.Generate(bench::EightRowTemplate(), 0)));
    EncodeListOutput(lines, ListEncoding::ShiftJis, bytes);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GenerateAndEncodeShiftJis)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hozanki

BENCHMARK_MAIN();
