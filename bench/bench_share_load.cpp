// The window's load (the engine behind its load worker, without the models)
// of one folder, timed once: bench_share_load [-r] FOLDER prints
// "<seconds> <rows> <depth>" (-r: with its subfolders). Used by
// bench_share.sh on a slow mount.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/catalogue/LoadEngine.h"

int main(int argc, char** argv) {
  const bool recursive = argc == 3 && std::strcmp(argv[1], "-r") == 0;
  if (argc != 2 && !recursive) {
    std::fprintf(stderr, "usage: bench_share_load [-r] FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::absolute(argv[argc - 1]);
  hozanki::LoadEngine engine;
  const auto start = std::chrono::steady_clock::now();
  size_t rows = 0;
  hozanki::LoadResult result = engine.Load({folder, recursive, std::nullopt},
                                           [&](hozanki::LoadBatch&& batch) { rows += batch.entries.size(); });
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f %zu %u\n", seconds, rows, engine.DepthFor(folder));
  return result.listed == rows ? 0 : 1;
}
