#include "core/common/ParallelFor.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace hozanki {

void ParallelFor(size_t n, unsigned threads, const std::function<void(size_t)>& work,
                 const std::atomic<bool>* cancel) {
  std::atomic<size_t> next{0};
  auto run = [&] {
    for (;;) {
      if (cancel && cancel->load()) return;
      size_t i = next.fetch_add(1);
      if (i >= n) return;
      work(i);
    }
  };
  threads = static_cast<unsigned>(std::clamp<size_t>(threads, 1, std::max<size_t>(n, 1)));
  std::vector<std::thread> pool;
  pool.reserve(threads - 1);
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(run);
  run();
  for (std::thread& t : pool) t.join();
}

}  // namespace hozanki
