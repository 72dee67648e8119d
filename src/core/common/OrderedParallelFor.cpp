#include "core/common/OrderedParallelFor.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace hozanki {

void OrderedParallelFor(size_t n, unsigned threads, size_t window, const std::function<void(size_t)>& work,
                        const std::function<void(size_t)>& emit) {
  window = std::max<size_t>(window, 1);
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<char> done(window, 0);  // slot i % window: work(i) has ended
  size_t next = 0;                    // the next index to begin
  size_t emitted = 0;                 // indices handed on so far
  auto run = [&] {
    for (;;) {
      size_t i;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return next >= n || next < emitted + window; });
        if (next >= n) return;
        i = next++;
      }
      work(i);
      {
        std::lock_guard lock(mutex);
        done[i % window] = 1;
      }
      changed.notify_all();
    }
  };
  threads = static_cast<unsigned>(std::clamp<size_t>(threads, 1, std::max<size_t>(n, 1)));
  std::vector<std::thread> pool;
  pool.reserve(threads);
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(run);
  while (emitted < n) {
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return done[emitted % window] != 0; });
      done[emitted % window] = 0;
    }
    emit(emitted);
    {
      std::lock_guard lock(mutex);
      ++emitted;
    }
    changed.notify_all();
  }
  for (std::thread& t : pool) t.join();
}

}  // namespace hozanki
