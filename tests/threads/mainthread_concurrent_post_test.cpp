// Posting while the main thread drains: posts take their entries from the pool that drains give
// them back to, so workers that keep posting during flushes and thread-exit registrations must
// leave every function run exactly once, in each worker's order, and every function destroyed.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "orvutil/com.h"
#include "orvutil/threads.h"

namespace {

// Counts the functions alive that hold one.
struct Tracked {
  explicit Tracked(std::atomic<int>& live) : live(live) { ++live; }
  ~Tracked() { --live; }
  std::atomic<int>& live;
};

}  // namespace

TEST(MainThreadConcurrentPosts, PostsDuringFlushesAllRunOnceInOrderAndAreDestroyed) {
  const int kThreads = 3, kPosts = 3000;
  Orv::CModule& module = Orv::GetThisModule();
  long modulesBefore = module.GetObjectCount();
  std::atomic<int> live{0}, exitRuns{0}, done{0};
  std::vector<int> next(kThreads, 0);
  int outOfOrder = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < kPosts; ++i) {
        auto tracked = std::make_shared<Tracked>(live);
        Orv::PostMainThreadFunction([&, t, i, tracked] { outOfOrder += next[t]++ != i; }, &module);
        if (i % 500 == 0) Orv::AtThreadExit([&exitRuns, tracked] { ++exitRuns; }, &module);
      }
      ++done;
    });
  }
  while (done.load() < kThreads) Orv::FlushMainThreadFunctions();
  for (std::thread& worker : workers) worker.join();
  Orv::FlushMainThreadFunctions();
  EXPECT_EQ(outOfOrder, 0);
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kPosts) << t;
  EXPECT_EQ(exitRuns.load(), kThreads * (kPosts / 500));
  EXPECT_EQ(live.load(), 0);
  EXPECT_EQ(module.GetObjectCount(), modulesBefore);
}
