#include "core/catalogue/ParallelReader.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "core/catalogue/MediaReader.h"

namespace hozanki {

void ReadMediaFiles(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& files,
                    unsigned threads, const ReadDone& done) {
  std::atomic<size_t> next{0};
  auto work = [&] {
    std::string error;
    for (size_t i = next++; i < files.size(); i = next++) {
      error.clear();
      std::optional<MediaFileEntry> entry = ReadMediaFile(folder, files[i], &error);
      done(i, std::move(entry), error);
    }
  };
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(files.size())));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
}

}  // namespace hozanki
