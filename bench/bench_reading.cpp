// Readings of kanji over the name corpus (artists, albums, titles): names
// read per second in katakana and in romaji, and the share read exactly
// right in katakana ("exact" counter, the user's dictionary empty).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "NameReadingCorpus.h"
#include "core/text/KanjiReading.h"

namespace {

const hozanki::KanjiReader& Reader() {
  static const std::unique_ptr<hozanki::KanjiReader> reader = [] {
    std::string error;
    return hozanki::KanjiReader::Open(&error);
  }();
  return *reader;
}

// Arg 0: katakana, 1: romaji.
void BM_ReadNames(benchmark::State& state) {
  const auto& names = hozanki::corpus::JapaneseNameReadings();
  hozanki::ReadingOptions options;
  options.script = state.range(0) == 0 ? hozanki::ReadingScript::Katakana : hozanki::ReadingScript::Romaji;
  size_t exact = 0;
  for (auto _ : state) {
    exact = 0;
    for (const auto& entry : names) {
      const hozanki::TextReading reading = Reader().Read(entry.name, options);
      exact += reading.text == entry.katakana ? 1 : 0;
      benchmark::DoNotOptimize(reading.text.data());
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * names.size()));
  if (state.range(0) == 0) state.counters["exact"] = static_cast<double>(exact) / static_cast<double>(names.size());
}
BENCHMARK(BM_ReadNames)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
