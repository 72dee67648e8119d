// The encoding repair: detection over 10,000 MP3 entries (ID3v2 row with
// title, artist, album and comment; ID3v1 row with title and artist) drawn
// from the generated corpus, half of the values damaged. Goal: under 2 s for
// the 10,000 files. The counters report the corpus result: the share of
// damaged values repaired to the right text (goal at least 99%) and the
// clean values changed (goal 0). The reading corpus (real Japanese titles in
// code page 932, real Western titles in ISO-8859-1) reports the share of
// each read right by the legacy reading rule (goal at least 99.5%), how many
// of the rest the repair lists, and the clean values the repair would change
// (goal 0).

#include <benchmark/benchmark.h>

#include "EncodingCorpus.h"
#include "ReadingCorpus.h"
#include "core/text/Cp932.h"
#include "core/catalogue/MediaFileEntry.h"
#include "core/tagedit/EncodingRepairScan.h"

namespace {

using namespace hozanki;

constexpr size_t kFiles = 10000;

const std::vector<corpus::Sample>& Samples() {
  static const std::vector<corpus::Sample> samples = corpus::Generator(7).Make(kFiles * 6);
  return samples;
}

std::vector<MediaFileEntry> Entries() {
  std::vector<MediaFileEntry> out;
  const auto& samples = Samples();
  size_t next = 0;
  for (size_t i = 0; i < kFiles; ++i) {
    MediaFileEntry e;
    e.format = MediaFormat::MP3;
    for (TagKind kind : TagKindsOf(MediaFormat::MP3)) {
      TagRow row;
      row.cells.resize(ValueNamesOf(kind).size() + 1);
      e.tags.push_back(std::move(row));
    }
    e.tags[1].state = kChecked;
    for (size_t cell : {1, 2, 3, 7}) e.tags[1].cells[cell].text = samples[next++ % samples.size()].stored;
    e.tags[0].state = kChecked;
    for (size_t cell : {1, 2}) e.tags[0].cells[cell].text = samples[next++ % samples.size()].stored;
    out.push_back(std::move(e));
  }
  return out;
}

void BM_DetectTenThousandFiles(benchmark::State& state) {
  const std::vector<MediaFileEntry> entries = Entries();
  size_t findings = 0;
  for (auto _ : state) {
    findings = 0;
    for (const MediaFileEntry& e : entries) findings += FindRepairs(e, nullptr).size();
    benchmark::DoNotOptimize(findings);
  }
  state.counters["findings"] = static_cast<double>(findings);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kFiles));
}
BENCHMARK(BM_DetectTenThousandFiles)->Unit(benchmark::kMillisecond);

void BM_CorpusScore(benchmark::State& state) {
  corpus::Score score;
  for (auto _ : state) score = corpus::Evaluate(Samples());
  state.counters["damaged"] = static_cast<double>(score.damaged);
  state.counters["repaired_pct"] = 100.0 * static_cast<double>(score.repaired) / static_cast<double>(score.damaged);
  state.counters["listed_ambiguous"] = static_cast<double>(score.listed);
  state.counters["clean"] = static_cast<double>(score.clean);
  state.counters["clean_changed"] = static_cast<double>(score.cleanChanged);
}
BENCHMARK(BM_CorpusScore)->Unit(benchmark::kMillisecond)->Iterations(1);

// The real titles in their legacy bytes, with the text each stands for.
std::vector<std::pair<std::string, std::string>> LegacyTitles(bool japanese) {
  std::vector<std::pair<std::string, std::string>> out;
  for (std::string_view t : japanese ? corpus::JapaneseTitles() : corpus::WesternTitles()) {
    std::optional<std::string> bytes = japanese ? EncodeCp932(t) : corpus::Iconv("ISO-8859-1", "UTF-8", t);
    if (!bytes) continue;
    bool high = false;
    for (unsigned char c : *bytes) high = high || c >= 0x80;
    if (high) out.emplace_back(*bytes, std::string(t));
  }
  return out;
}

void BM_ReadingCorpus(benchmark::State& state) {
  const bool japanese = state.range(0) == 0;
  const auto titles = LegacyTitles(japanese);
  size_t right = 0, listed = 0, cleanChanged = 0;
  for (auto _ : state) {
    right = listed = cleanChanged = 0;
    for (const auto& [bytes, text] : titles) {
      std::string read = DecodeTagText(bytes);
      benchmark::DoNotOptimize(read);
      TextDiagnosis d = DiagnoseText(read, StoredForm::kLegacyBytes);
      if (read == text) {
        ++right;
        if (d.verdict == TextVerdict::kGarbled && d.proposed != read) ++cleanChanged;
      } else if (d.verdict != TextVerdict::kFine && d.proposed == text) {
        ++listed;
      }
    }
  }
  state.SetLabel(japanese ? "Japanese, code page 932" : "Western, ISO-8859-1");
  state.counters["titles"] = static_cast<double>(titles.size());
  state.counters["read_right_pct"] = 100.0 * static_cast<double>(right) / static_cast<double>(titles.size());
  state.counters["misread_listed"] = static_cast<double>(listed);
  state.counters["clean_changed"] = static_cast<double>(cleanChanged);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * titles.size()));
}
BENCHMARK(BM_ReadingCorpus)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
