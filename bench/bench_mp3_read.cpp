// Reading a folder of 10,000 MP3 files (ID3v1 + ID3v2 with Japanese text)
// with the format readers on 1 and 2 threads.
//
//   bench_mp3_read                      runs the benchmarks on a generated folder
//   bench_mp3_read --make-folder=DIR    only writes the 10,000 files into DIR
//                                       (used by bench/bench_cli_list.sh)

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "BenchMedia.h"
#include "core/catalogue/FolderScan.h"
#include "core/catalogue/ParallelReader.h"
#include "core/catalogue/formats/Id3v1Tag.h"
#include "core/catalogue/formats/Id3v2Tag.h"

namespace fs = std::filesystem;
using namespace hozanki;

namespace {

constexpr int kFiles = 10000;

void MakeFolder(const fs::path& dir) {
  fs::create_directories(dir);
  const std::string audio = bench::SilentMp3(40);  // about one second
  static const char* kArtists[] = {"松任谷由実", "中島みゆき", "椎名林檎", "宇多田ヒカル", "山下達郎"};
  for (int i = 0; i < kFiles; ++i) {
    Id3v2Tag v2;
    std::string n = std::to_string(i);
    v2.Set("IART", kArtists[i % 5]);
    v2.Set("INAM", "曲名その" + n);
    v2.Set("IPRD", "アルバム" + std::to_string(i / 12));
    v2.Set("TRACK", std::to_string(i % 12 + 1));
    v2.Set("ICRD", "1999");
    v2.Set("IGNR", "J-POP(J)");
    v2.Set("ICMT", "日本語のコメント");
    Id3v1Tag v1;
    v1.artist = kArtists[i % 5];
    v1.title = "曲名その" + n;
    v1.track = std::to_string(i % 12 + 1);
    v1.genre = "J-POP(J)";
    std::ofstream out(dir / ("曲" + n + ".mp3"), std::ios::binary);
    out << v2.Render(3, false, 0) << audio << v1.Render(nullptr);
  }
}

const fs::path& Folder() {
  static fs::path dir = [] {
    fs::path d = bench::BenchFolder("mp3-read");
    MakeFolder(d);
    return d;
  }();
  return dir;
}

void BM_ReadFolder(benchmark::State& state) {
  const fs::path& dir = Folder();
  unsigned threads = static_cast<unsigned>(state.range(0));
  size_t listed = 0;
  for (auto _ : state) {
    std::vector<fs::path> files = ListMediaFiles(dir);
    std::atomic<size_t> count{0};
    ReadMediaFiles(dir, files, threads, [&](size_t, std::optional<MediaFileEntry>&& e, const std::string&) {
      if (e) ++count;
    });
    listed = count;
  }
  if (listed != kFiles) state.SkipWithError("not every file was read");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFiles);
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_ReadFolder)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--make-folder=", 14) == 0) {
      MakeFolder(argv[i] + 14);
      return 0;
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(Folder());
  return 0;
}
