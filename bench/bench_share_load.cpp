// The window's load (the engine behind its load worker, without the models)
// of one folder, timed once: bench_share_load [-r] FOLDER prints
// "<seconds> <rows> <depth>" (-r: with its subfolders). With
// --save=TITLE CONFIG_FOLDER the folder is loaded untimed and then saved as
// the window saves it (the engine behind its save worker) with every MP3's
// ID3v2 title set to "TITLE <n>", keeping the journal in CONFIG_FOLDER:
// prints "<seconds> <written> <failed>". Used by bench_share.sh on a slow
// mount.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/LoadEngine.h"
#include "core/common/FormatRegistry.h"
#include "core/tagedit/SaveEngine.h"

namespace {

using namespace hozanki;

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Save(const std::filesystem::path& folder, const std::string& title, const std::filesystem::path& config) {
  LoadEngine engine;
  std::vector<MediaFileEntry> entries;
  engine.Load({folder, false, std::nullopt}, [&](LoadBatch&& batch) {
    for (MediaFileEntry& e : batch.entries)
      if (e.format == MediaFormat::MP3) entries.push_back(std::move(e));
  });
  const std::span<const std::string_view> names = ValueNamesOf(TagKind::MP3ID3v2);
  size_t cell = 0;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == "INAM_v2") cell = i + 1;
  for (size_t n = 0; n < entries.size(); ++n) {
    TagRow& v2 = entries[n].tags[1];
    v2.cells[cell].text = title + " " + std::to_string(n);
    v2.state = kChecked;
    v2.image = kChangedMark;
  }
  Catalogue catalogue;
  catalogue.Append(MediaFormat::MP3, std::move(entries));
  WriteSettings settings;
  settings.keepTimeStamp = true;
  const auto start = std::chrono::steady_clock::now();
  SaveResult result = SaveEngine(CollectSavePlan(catalogue, folder, settings, config)).Run();
  std::printf("%.3f %zu %d\n", Since(start), result.rows.size() - static_cast<size_t>(result.FailedFiles()),
              result.FailedFiles());
  return result.FailedFiles() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strncmp(argv[1], "--save=", 7) == 0)
    return Save(std::filesystem::absolute(argv[2]), argv[1] + 7, std::filesystem::absolute(argv[3]));
  const bool recursive = argc == 3 && std::strcmp(argv[1], "-r") == 0;
  if (argc != 2 && !recursive) {
    std::fprintf(stderr, "usage: bench_share_load [-r] FOLDER | --save=TITLE FOLDER CONFIG_FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::absolute(argv[argc - 1]);
  hozanki::LoadEngine engine;
  const auto start = std::chrono::steady_clock::now();
  size_t rows = 0;
  hozanki::LoadResult result = engine.Load({folder, recursive, std::nullopt},
                                           [&](hozanki::LoadBatch&& batch) { rows += batch.entries.size(); });
  std::printf("%.3f %zu %u\n", Since(start), rows, engine.DepthFor(folder));
  return result.listed == rows ? 0 : 1;
}
