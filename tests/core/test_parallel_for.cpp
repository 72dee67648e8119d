#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "core/common/ParallelFor.h"

namespace hozanki {
namespace {

TEST(ParallelFor, RunsEveryIndexOnceOnAtMostThatManyThreads) {
  for (unsigned threads : {0u, 1u, 3u, 64u}) {
    std::vector<std::atomic<int>> runs(40);
    std::mutex mutex;
    std::set<std::thread::id> ids;
    ParallelFor(runs.size(), threads, [&](size_t i) {
      ++runs[i];
      std::lock_guard lock(mutex);
      ids.insert(std::this_thread::get_id());
    });
    for (size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i].load(), 1) << "index " << i << ", " << threads;
    EXPECT_LE(ids.size(), std::max(1u, threads));
  }
  int calls = 0;
  ParallelFor(0, 4, [&](size_t) { ++calls; });
  EXPECT_EQ(calls, 0);
  ParallelFor(1, 4, [&](size_t) { ++calls; });  // one index: on the calling thread alone
  EXPECT_EQ(calls, 1);
}

TEST(ParallelFor, CancelLeavesACompletedPrefix) {
  for (unsigned threads : {1u, 4u}) {
    std::atomic<bool> cancel{false};
    std::vector<std::atomic<int>> done(1000);
    ParallelFor(
        done.size(), threads,
        [&](size_t i) {
          if (i == 20) cancel.store(true);
          std::this_thread::yield();
          ++done[i];
        },
        &cancel);
    size_t prefix = 0;
    while (prefix < done.size() && done[prefix].load() == 1) ++prefix;
    EXPECT_GT(prefix, 20u) << threads;
    EXPECT_LT(prefix, done.size()) << threads;
    for (size_t i = prefix; i < done.size(); ++i) EXPECT_EQ(done[i].load(), 0) << "index " << i;
  }
  std::atomic<bool> cancelled{true};
  int calls = 0;
  ParallelFor(
      10, 2, [&](size_t) { ++calls; }, &cancelled);
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace hozanki
