// The window's save engine over a folder of MP3 files, one new ID3v2 title
// each, timed around SaveEngine::Run alone (the files are loaded and the
// titles set first, as in the window). Used by bench_inplace_vs_kid3.sh.
//
//   bench_save_inplace FOLDER TITLE [--copy]
//
// Prints "files seconds peak_rss_kb". --copy writes every file as a new
// copy (no journal), the way every save went before in-place writes.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/FolderScan.h"
#include "core/catalogue/MediaReader.h"
#include "core/tagedit/SaveEngine.h"
#include "core/tagedit/SetCellValue.h"

using namespace hozanki;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER TITLE [--copy]\n", argv[0]);
    return 2;
  }
  const fs::path folder = argv[1];
  const std::string title = argv[2];
  const bool copy = argc > 3 && std::strcmp(argv[3], "--copy") == 0;
  Catalogue catalogue;
  std::vector<MediaFileEntry> entries;
  for (const fs::path& name : ListMediaFiles(folder)) {
    std::optional<MediaFileEntry> entry = ReadMediaFile(folder, name);
    if (entry && entry->format == MediaFormat::MP3) entries.push_back(std::move(*entry));
  }
  const int count = static_cast<int>(entries.size());
  catalogue.Append(MediaFormat::MP3, std::move(entries));
  for (int row = 0; row < count; ++row)
    SetCellValue(catalogue, EditTarget::TagColumn(TagKind::MP3ID3v2, 2), row, title + " " + std::to_string(row),
                 ValueSource::Other, false);
  WriteSettings settings;  // the options' defaults
  if (!copy) {
    settings.journalFolder = folder.parent_path() / "config";
    fs::create_directories(settings.journalFolder);
  }
  SaveEngine engine(CollectSavePlan(catalogue, folder, settings));
  auto t0 = std::chrono::steady_clock::now();
  SaveResult result = engine.Run();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("%zu %.3f %ld\n", result.rows.size(), seconds, usage.ru_maxrss);
  return result.FailedFiles() == 0 ? 0 : 1;
}
