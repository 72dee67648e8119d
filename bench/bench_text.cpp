// Throughput of the text engine over 100,000 cells of mixed Japanese and
// ASCII text of about 30 characters. Items per second = cells per second.
// The BM_LongLine cases run one line of 10 MB instead (bytes per second):
// replace and substitution must stay linear in the line's length.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/text/ConvertText.h"
#include "core/text/Regexp.h"
#include "core/text/Substring.h"
#include "core/text/WildcardReplace.h"

namespace {

constexpr size_t kCells = 100000;

const std::vector<std::string>& Cells() {
  static const std::vector<std::string> cells = [] {
    const std::vector<std::string> pieces = {
        "Track",  "ｶﾞｰﾙｽﾞ", "ひらがな", "カタカナ", "日本語", "Ｔｏｋｙｏ", "  ",      "　",  "Love", "song",
        "０１２", "123",    "(Live)",   "- ",       "mix",    "ライブ",     "ﾊﾟﾗﾀﾞｲｽ", "Mr.", "の",   "夜"};
    std::mt19937 random(42);
    std::vector<std::string> out;
    out.reserve(kCells);
    for (size_t i = 0; i < kCells; ++i) {
      std::string cell;
      while (cell.size() < 60) cell += pieces[random() % pieces.size()];  // about 30 characters
      out.push_back(std::move(cell));
    }
    return out;
  }();
  return cells;
}

template <typename F>
void RunCells(benchmark::State& state, F&& f) {
  const auto& cells = Cells();
  for (auto _ : state) {
    for (const std::string& cell : cells) benchmark::DoNotOptimize(f(cell));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * cells.size()));
}

void BM_ConvertText(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  RunCells(state, [kind](const std::string& cell) { return hozanki::ConvertText(kind, cell); });
}
BENCHMARK(BM_ConvertText)->DenseRange(0, 13)->Unit(benchmark::kMillisecond);

// The trimmings on cells that all start and end with white space.
void BM_TrimPadded(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  std::vector<std::string> padded;
  for (const std::string& cell : Cells()) padded.push_back(" \t" + cell + "　 ");
  for (auto _ : state) {
    for (const std::string& cell : padded) benchmark::DoNotOptimize(hozanki::ConvertText(kind, cell));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * padded.size()));
}
BENCHMARK(BM_TrimPadded)->DenseRange(11, 13)->Unit(benchmark::kMillisecond);

void BM_WildcardReplace(benchmark::State& state) {
  const hozanki::ReplacePattern pattern = hozanki::BuildReplacePattern("*の*", "\\2 - \\1", true);
  RunCells(state, [&](const std::string& cell) { return hozanki::ApplyReplace(pattern, cell); });
}
BENCHMARK(BM_WildcardReplace)->Unit(benchmark::kMillisecond);

void BM_WildcardReplaceNoMatch(benchmark::State& state) {
  const hozanki::ReplacePattern pattern = hozanki::BuildReplacePattern("xyz?", "\\1", true);
  RunCells(state, [&](const std::string& cell) { return hozanki::ApplyReplace(pattern, cell); });
}
BENCHMARK(BM_WildcardReplaceNoMatch)->Unit(benchmark::kMillisecond);

void BM_RegexpSubstitute(benchmark::State& state) {
  RunCells(state, [](const std::string& cell) { return hozanki::ApplyRegexp("s/([a-z]+)/<$1>/gi", cell); });
}
BENCHMARK(BM_RegexpSubstitute)->Unit(benchmark::kMillisecond);

void BM_RegexpTransliterate(benchmark::State& state) {
  RunCells(state,
           [](const std::string& cell) { return hozanki::ApplyRegexp("tr/a-zぁ-ん/A-Zァ-ン/", cell); });
}
BENCHMARK(BM_RegexpTransliterate)->Unit(benchmark::kMillisecond);

// One line of about 10 MB of the same mixed text.
const std::string& LongLine() {
  static const std::string line = [] {
    std::string out;
    out.reserve(10'000'100);
    for (const std::string& cell : Cells()) {
      if (out.size() >= 10'000'000) break;
      out += cell;
    }
    return out;
  }();
  return line;
}

template <typename F>
void RunLongLine(benchmark::State& state, F&& f) {
  const std::string& line = LongLine();
  for (auto _ : state) benchmark::DoNotOptimize(f(line));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * line.size()));
}

// Many matches, each with a slot ("の" and the character after it).
void BM_LongLineReplace(benchmark::State& state) {
  const hozanki::ReplacePattern pattern = hozanki::BuildReplacePattern("の?", "<\\1>", true);
  RunLongLine(state, [&](const std::string& line) { return hozanki::ApplyReplace(pattern, line); });
}
BENCHMARK(BM_LongLineReplace)->Unit(benchmark::kMillisecond);

// One match whose trailing wildcard takes the rest of the line.
void BM_LongLineReplaceTrailing(benchmark::State& state) {
  const hozanki::ReplacePattern pattern = hozanki::BuildReplacePattern("*の*", "\\2 - \\1", true);
  RunLongLine(state, [&](const std::string& line) { return hozanki::ApplyReplace(pattern, line); });
}
BENCHMARK(BM_LongLineReplaceTrailing)->Unit(benchmark::kMillisecond);

void BM_LongLineSubstitute(benchmark::State& state) {
  RunLongLine(state,
              [](const std::string& line) { return hozanki::ApplyRegexp("s/([a-z]+)/<$1>/gi", line); });
}
BENCHMARK(BM_LongLineSubstitute)->Unit(benchmark::kMillisecond);

// An empty match between every two characters.
void BM_LongLineSubstituteEmpty(benchmark::State& state) {
  RunLongLine(state, [](const std::string& line) { return hozanki::ApplyRegexp("s/x*/-/g", line); });
}
BENCHMARK(BM_LongLineSubstituteEmpty)->Unit(benchmark::kMillisecond);

void BM_Substring(benchmark::State& state) {
  RunCells(state, [](const std::string& cell) { return hozanki::Substring(cell, "3,-4"); });
}
BENCHMARK(BM_Substring)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
