#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "core/common/OrderedParallelFor.h"
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

// The hand-over comes in order, each after its work, and the work never runs
// more than the window ahead of it (what bounds a streamed listing's memory).
TEST(OrderedParallelFor, HandsOverInOrderWithinTheWindow) {
  struct Case {
    size_t n;
    unsigned threads;
    size_t window;
  };
  for (const Case& c : {Case{0, 2, 4}, Case{1, 3, 1}, Case{300, 1, 1}, Case{300, 4, 7}, Case{1000, 8, 64}}) {
    std::vector<std::atomic<int>> worked(c.n);
    std::atomic<size_t> handedOver{0};
    std::atomic<int> aheadOfWindow{0};
    std::vector<size_t> order;
    OrderedParallelFor(
        c.n, c.threads, c.window,
        [&](size_t i) {
          if (i >= handedOver.load() + c.window) ++aheadOfWindow;
          if (i % 3 == 0) std::this_thread::yield();  // later ones overtake
          ++worked[i];
        },
        [&](size_t i) {
          EXPECT_EQ(worked[i].load(), 1) << "index " << i;
          order.push_back(i);
          handedOver.store(order.size());
        });
    EXPECT_EQ(aheadOfWindow.load(), 0) << c.n << " " << c.threads << " " << c.window;
    ASSERT_EQ(order.size(), c.n);
    for (size_t i = 0; i < order.size(); ++i) ASSERT_EQ(order[i], i);
  }
}

}  // namespace
}  // namespace hozanki
